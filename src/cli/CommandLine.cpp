#include "CommandLine.h"

#include "SnapshotFiles.h"
#include "records/RecordStore.h"

#include <algorithm>

namespace {
const char *const Description =
    "Настройка газоанализаторов серии ЗЭ-23 на производственном стенде через адаптеры USB "
    "(FTDI). Адаптер называется своим серийным номером, как его показывает list. Названные "
    "адаптеры обслуживаются одновременно, по каждому выводится одна строка результата.\n"
    "\n"
    "Команды:\n"
    "  list\n"
    "      Адаптеры: серийный номер и описание, по одному в строке.\n"
    "      Пример: ze23-cli list\n"
    "  identify ADAPTER...\n"
    "      Вид, модель и серийный номер прибора на каждом адаптере.\n"
    "      Пример: ze23-cli identify FT5A1B2C FT5A1B2D\n"
    "  read ADAPTER... [-o FILE]\n"
    "      Настройки блоков прибора (датчик, насос) в JSON. Без -o — в стандартный вывод\n"
    "      (с одним адаптером; с --json — в строке каждого адаптера). В FILE {adapter}\n"
    "      заменяется серийным номером адаптера, {serial} — серийным номером прибора;\n"
    "      с несколькими адаптерами одно из них нужно.\n"
    "      Пример: ze23-cli read FT5A1B2C FT5A1B2D -o 'ze23-{serial}.json'\n"
    "  diff ADAPTER... FILE\n"
    "      Чем настройки прибора отличаются от файла; прежде — почему файл не подходит\n"
    "      прибору (другой вид, значения вне допустимых).\n"
    "      Пример: ze23-cli diff FT5A1B2C obrazec.json\n"
    "  write ADAPTER... FILE [--save]\n"
    "      Записать настройки из файла: отличающиеся значения пишутся, все читаются обратно,\n"
    "      о каждом записанном сказано, подтверждено ли оно. С --save блоки сохраняют\n"
    "      настройки, только если подтверждены все значения. Файл с прибора другого вида или\n"
    "      со значениями вне допустимых не записывается. Пороги блока ПГС блок задаёт сам:\n"
    "      их отличия показываются, но не пишутся.\n"
    "      Пример: ze23-cli write FT5A1B2C FT5A1B2D obrazec.json --save\n"
    "  stand ADAPTER CHANNEL\n"
    "      Переключить мультиплексор испытательного стенда на канал CHANNEL (1–32).\n"
    "      Пример: ze23-cli stand FT5A1B2C 5\n"
    "  records [SERIAL...] [--json|--csv]\n"
    "      Журнал калибровок: по строке на запись (номер, дата, прибор, модель, итог,\n"
    "      следующая калибровка), все записи или приборов с этими серийными номерами,\n"
    "      старые первыми. --json — все поля каждой записи, --csv — таблица для\n"
    "      электронной таблицы (через «;», первая строка — заголовки).\n"
    "      Пример: ze23-cli records 23101 23102\n"
    "  records due [SERIAL...] [--days N] [--json]\n"
    "      Приборы, чья следующая калибровка наступает в ближайшие N дней (по умолчанию\n"
    "      30) или уже прошла, а также те, чья последняя калибровка не удалась или прервана:\n"
    "      по строке на прибор, самые срочные первыми.\n"
    "      Пример: ze23-cli records due --days 14\n"
    "  records verify\n"
    "      Проверить, что каждая запись журнала такая, какой записана, и ни одной не\n"
    "      недостаёт (по контрольным суммам записей). Код 1 — если нет.\n"
    "      Пример: ze23-cli records verify\n"
    "  certificate NUMBER -o FILE.pdf\n"
    "      Свидетельство о калибровке по записи журнала NUMBER — в PDF.\n"
    "      Пример: ze23-cli certificate 17 -o svidetelstvo-17.pdf\n"
    "  cylinders [--expiring DAYS] [--json]\n"
    "      Реестр баллонов: по строке на баллон (номер, газ, для какого газа, концентрация и\n"
    "      погрешность, газ-основа, поставщик, дата паспорта, срок годности); с --expiring —\n"
    "      только годные, чей срок истекает в ближайшие DAYS дней, ближайшие первыми.\n"
    "      Пример: ze23-cli cylinders --expiring 30\n"
    "  cylinders add NUMBER --gas GAS --component COMPONENT --concentration PERCENT\n"
    "            [--uncertainty PERCENT] --balance GAS --supplier NAME\n"
    "            --certified YYYY-MM-DD --expiry YYYY-MM-DD\n"
    "      Внести баллон в реестр (баллон в реестре не изменяется). COMPONENT — газ, для\n"
    "      которого он: methane, propane, hydrogen, oxygen, nitrogen или zero-air.\n"
    "      Пример: ze23-cli cylinders add 'ГСО 10-123' --gas 'CH4 в воздухе' --component\n"
    "      methane --concentration 2,50 --uncertainty 0,05 --balance воздух --supplier\n"
    "      'ООО «Мониторинг»' --certified 2026-06-01 --expiry 2027-06-01\n"
    "\n"
    "Код завершения: 0 — всё выполнено (write: все значения подтверждены, с --save и\n"
    "сохранены); 1 — что-то не удалось (прибор не отвечает, файл не подходит, значение не\n"
    "подтверждено, записи нет); 2 — ошибка в командной строке.";

// A whole number from 1 up.
bool positive(const QString &text, std::int64_t &value) {
    bool ok = false;
    value = text.toLongLong(&ok);
    return ok && value > 0;
}
} // namespace

CommandLine::CommandLine()
    : help_(QStringList{"h", "help"}, "Эта справка."),
      version_(QStringList{"v", "version"}, "Версия программы."),
      simulate_("simulate", "Добавить виртуальные приборы всех видов (1, 2, 3, 4, 5, 7), чтобы "
                            "работать без оборудования."),
      json_("json", "Результаты в JSON: по объекту на адаптер, по одному в строке."),
      output_(QStringList{"o", "output"},
              "read: записать настройки в FILE; certificate: записать свидетельство в FILE.",
              "FILE"),
      save_("save", "write: сохранить настройки в блоках, когда все значения подтверждены."),
      records_("records",
               "Журнал калибровок FILE для records и certificate (по умолчанию " +
                   RecordStore::defaultPath() + ").",
               "FILE"),
      csv_("csv", "records: таблица CSV."),
      days_("days", "records due: сколько дней вперёд смотреть (по умолчанию 30).", "N"),
      expiring_("expiring", "cylinders: только баллоны, чей срок истекает в ближайшие DAYS дней.",
                "DAYS"),
      gas_("gas", "cylinders add: газ, как написан на баллоне (\"CH4 в воздухе\").", "GAS"),
      component_("component",
                 "cylinders add: для какого газа баллон: methane, propane, hydrogen, oxygen, "
                 "nitrogen, zero-air.",
                 "COMPONENT"),
      concentration_("concentration", "cylinders add: концентрация, % (2,50).", "PERCENT"),
      uncertainty_("uncertainty", "cylinders add: погрешность концентрации, ± % (0,05).",
                   "PERCENT"),
      balance_("balance", "cylinders add: газ-основа (воздух, азот).", "GAS"),
      supplier_("supplier", "cylinders add: поставщик.", "NAME"),
      certified_("certified", "cylinders add: дата паспорта баллона.", "YYYY-MM-DD"),
      expiry_("expiry", "cylinders add: годен до.", "YYYY-MM-DD") {
    parser_.setApplicationDescription(Description);
    parser_.addOptions({help_, version_, simulate_, json_, output_, save_, records_, csv_, days_,
                        expiring_, gas_, component_, concentration_, uncertainty_, balance_,
                        supplier_, certified_, expiry_});
    parser_.addPositionalArgument(
        "command", "list, identify, read, diff, write, stand, records, certificate или cylinders.",
        "COMMAND [ADAPTER...|SERIAL...|NUMBER] [FILE|CHANNEL]");
}

CommandLine::Parsed CommandLine::usage(const QString &why) {
    error_ = why;
    return Parsed::UsageError;
}

CommandLine::Parsed CommandLine::parse(const QStringList &arguments) {
    if (!parser_.parse(arguments))
        return usage(parser_.errorText());
    if (parser_.isSet(help_))
        return Parsed::Help;
    if (parser_.isSet(version_))
        return Parsed::Version;
    request_.simulate = parser_.isSet(simulate_);
    request_.json = parser_.isSet(json_);
    request_.save = parser_.isSet(save_);
    request_.output = parser_.value(output_);
    request_.csv = parser_.isSet(csv_);
    request_.records =
        parser_.isSet(records_) ? parser_.value(records_) : RecordStore::defaultPath();
    return check();
}

bool CommandLine::paints(const QStringList &arguments) {
    CommandLine commandLine;
    return commandLine.parse(arguments) == Parsed::Run &&
           commandLine.request().command == BenchCommand::Certificate;
}

CommandLine::Parsed CommandLine::check() {
    QStringList args = parser_.positionalArguments();
    if (args.isEmpty())
        return usage("не указана команда");
    const QString command = args.takeFirst();
    static const std::pair<const char *, BenchCommand> Commands[] = {
        {"list", BenchCommand::List},          {"identify", BenchCommand::Identify},
        {"read", BenchCommand::Read},          {"diff", BenchCommand::Diff},
        {"write", BenchCommand::Write},        {"stand", BenchCommand::Stand},
        {"records", BenchCommand::Records},    {"certificate", BenchCommand::Certificate},
        {"cylinders", BenchCommand::Cylinders}};
    const auto known = std::find_if(std::begin(Commands), std::end(Commands),
                                    [&](const auto &c) { return command == c.first; });
    if (known == std::end(Commands))
        return usage("неизвестная команда «" + command + "»");
    request_.command = known->second;
    CliRequest &r = request_;

    if (r.save && r.command != BenchCommand::Write)
        return usage("--save — только для write");
    if (parser_.isSet(output_) && r.command != BenchCommand::Read &&
        r.command != BenchCommand::Certificate)
        return usage("-o — только для read и certificate");
    if (parser_.isSet(days_) && r.command != BenchCommand::Records)
        return usage("--days — только для records due");
    if (r.csv && r.command != BenchCommand::Records)
        return usage("--csv — только для records");
    if (r.csv && r.json)
        return usage("records: либо --json, либо --csv");
    if (parser_.isSet(records_) && r.records.isEmpty())
        return usage("--records: не указан файл журнала");
    if (r.command == BenchCommand::Cylinders)
        return checkCylinders(args);
    for (const QCommandLineOption *o :
         {&expiring_, &gas_, &component_, &concentration_, &uncertainty_, &balance_, &supplier_,
          &certified_, &expiry_})
        if (parser_.isSet(*o))
            return usage("--" + o->names().front() + " — только для cylinders");
    switch (r.command) {
    case BenchCommand::Records:
        if (!args.isEmpty() && args.front() == "verify") {
            r.verify = true;
            if (args.size() > 1)
                return usage("records verify проверяет весь журнал: номера приборов не нужны");
            if (r.json || r.csv || parser_.isSet(days_))
                return usage("records verify: --json, --csv и --days не поддерживаются");
            return Parsed::Run;
        }
        if (!args.isEmpty() && args.front() == "due") {
            args.removeFirst();
            r.due = true;
            bool number = false;
            if (parser_.isSet(days_))
                r.days = parser_.value(days_).toInt(&number);
            if (parser_.isSet(days_) && (!number || r.days < 0 || r.days > 36500))
                return usage("records due: --days — число дней от 0 до 36500");
            if (r.csv)
                return usage("records due: --csv не поддерживается, есть --json");
        }
        if (parser_.isSet(days_) && !r.due)
            return usage("--days — только для records due");
        for (const QString &a : args) {
            std::int64_t serial = 0;
            if (!positive(a, serial) || serial > 65535)
                return usage("records: серийный номер прибора — число от 1 до 65535, «" + a +
                             "» не подходит");
            if (std::find(r.serials.begin(), r.serials.end(), int(serial)) == r.serials.end())
                r.serials.push_back(int(serial));
        }
        return Parsed::Run;
    case BenchCommand::Certificate:
        if (args.size() != 1 || !positive(args.front(), r.number))
            return usage("certificate: нужен номер записи журнала (целое число от 1)");
        if (r.output.isEmpty())
            return usage("certificate: укажите файл свидетельства: -o FILE.pdf");
        return Parsed::Run;
    case BenchCommand::List:
        if (!args.isEmpty())
            return usage("list не принимает аргументов");
        return Parsed::Run;
    case BenchCommand::Diff:
    case BenchCommand::Write:
        if (args.size() < 2)
            return usage(command + ": нужны адаптер и файл настроек");
        r.file = args.takeLast();
        break;
    case BenchCommand::Stand: {
        if (args.size() != 2)
            return usage("stand: нужны адаптер и канал");
        bool number = false;
        r.channel = args.takeLast().toInt(&number);
        if (!number || r.channel < 1 || r.channel > 32)
            return usage("stand: канал — число от 1 до 32");
        break;
    }
    case BenchCommand::Identify:
    case BenchCommand::Read:
        if (args.isEmpty())
            return usage(command + ": не указан адаптер");
        break;
    }
    if (args.removeDuplicates() != 0)
        return usage("адаптер назван дважды");
    r.adapters = args;
    if (r.command == BenchCommand::Read && r.adapters.size() > 1) {
        if (!r.output.isEmpty() && !SnapshotFiles::hasPlaceholder(r.output))
            return usage("с несколькими адаптерами в имени файла нужен {adapter} или {serial}");
        if (r.output.isEmpty() && !r.json)
            return usage("с несколькими адаптерами укажите -o FILE или --json");
    }
    return Parsed::Run;
}

CommandLine::Parsed CommandLine::checkCylinders(QStringList args) {
    CliRequest &r = request_;
    const QList<const QCommandLineOption *> fields{&gas_,         &component_, &concentration_,
                                                   &uncertainty_, &balance_,   &supplier_,
                                                   &certified_,   &expiry_};
    if (args.isEmpty()) {
        for (const QCommandLineOption *o : fields)
            if (parser_.isSet(*o))
                return usage("--" + o->names().front() + " — только для cylinders add");
        if (parser_.isSet(expiring_)) {
            bool number = false;
            const int days = parser_.value(expiring_).toInt(&number);
            if (!number || days < 0 || days > 36500)
                return usage("cylinders: --expiring — число дней от 0 до 36500");
            r.expiring = days;
        }
        return Parsed::Run;
    }
    if (args.front() != "add")
        return usage("cylinders: неизвестная команда «" + args.front() + "»; есть cylinders add");
    if (args.size() != 2)
        return usage("cylinders add: нужен один номер баллона (в кавычках, если в нём пробелы)");
    if (parser_.isSet(expiring_) || r.json)
        return usage("cylinders add: --expiring и --json не поддерживаются");
    for (const QCommandLineOption *o : fields)
        if (o != &uncertainty_ && !parser_.isSet(*o))
            return usage("cylinders add: не указан --" + o->names().front());
    r.addCylinder = true;
    const auto value = [&](const QCommandLineOption &o) {
        return parser_.value(o).trimmed().toStdString();
    };
    r.cylinder.number = args[1].trimmed().toStdString();
    r.cylinder.gas = value(gas_);
    r.cylinder.component = value(component_);
    r.cylinder.balance = value(balance_);
    r.cylinder.supplier = value(supplier_);
    r.cylinder.certified = value(certified_);
    r.cylinder.expiry = value(expiry_);
    r.concentration = parser_.value(concentration_);
    r.uncertainty = parser_.value(uncertainty_);
    return Parsed::Run;
}
