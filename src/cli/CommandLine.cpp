#include "CommandLine.h"

#include "CommandHelp.h"
#include "SnapshotFiles.h"
#include "records/RecordLocation.h"
#include "records/RecordStore.h"

#include <algorithm>

namespace {
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
               "Журнал калибровок для records, certificate, cylinders и journal: файл (по "
               "умолчанию " +
                   RecordStore::defaultPath() +
                   ") или сервер postgresql://пользователь@сервер[:порт]/база; пароль — в "
                   "~/.pgpass, PGPASSWORD или службе pg_service.conf, не в строке.",
               "FILE"),
      csv_("csv", "records: таблица CSV."),
      days_("days", "records due: сколько дней вперёд смотреть (по умолчанию 30).", "N"),
      against_("against",
               "records verify: сверить журнал запись за записью с журналом этого рабочего "
               "места BENCH_JOURNAL.",
               "BENCH_JOURNAL"),
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
    parser_.setApplicationDescription(CommandHelp::description());
    parser_.addOptions({help_, version_, simulate_, json_, output_, save_, records_, csv_, days_,
                        against_, expiring_, gas_, component_, concentration_, uncertainty_,
                        balance_, supplier_, certified_, expiry_});
    QStringList commands = CommandHelp::commands();
    const QString last = commands.takeLast();
    parser_.addPositionalArgument("COMMAND", commands.join(", ") + " или " + last + ".",
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
    if (command == "help")
        return checkHelp(args);
    static const std::pair<const char *, BenchCommand> Commands[] = {
        {"list", BenchCommand::List},           {"identify", BenchCommand::Identify},
        {"read", BenchCommand::Read},           {"diff", BenchCommand::Diff},
        {"write", BenchCommand::Write},         {"stand", BenchCommand::Stand},
        {"records", BenchCommand::Records},     {"certificate", BenchCommand::Certificate},
        {"cylinders", BenchCommand::Cylinders}, {"journal", BenchCommand::Journal}};
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
    if (const QString bad = RecordLocation::malformed(r.records); !bad.isEmpty())
        return usage("--records: " + bad);
    if (r.command == BenchCommand::Journal) {
        r.newBench = args == QStringList{"new-bench"};
        if (args != QStringList{"grant"} && !r.newBench)
            return usage("journal: есть journal grant и journal new-bench");
        if (!r.newBench && !RecordLocation::isServer(r.records))
            return usage("journal grant: укажите сервер журнала от имени его владельца: "
                         "--records postgresql://владелец@сервер/база");
        if (r.newBench && RecordLocation::isServer(r.records))
            return usage("journal new-bench: новый номер заводят журналу рабочего места "
                         "(файлу), а не журналу на сервере");
    }
    if (parser_.isSet(against_) &&
        (r.command != BenchCommand::Records || args.isEmpty() || args.front() != "verify"))
        return usage("--against — только для records verify");
    if (r.command == BenchCommand::Cylinders)
        return checkCylinders(args);
    for (const QCommandLineOption *o :
         {&expiring_, &gas_, &component_, &concentration_, &uncertainty_, &balance_, &supplier_,
          &certified_, &expiry_})
        if (parser_.isSet(*o))
            return usage("--" + o->names().front() + " — только для cylinders");
    switch (r.command) {
    case BenchCommand::Cylinders: // checked above
    case BenchCommand::Journal:
        return Parsed::Run;
    case BenchCommand::Records:
        if (!args.isEmpty() && args.front() == "verify") {
            r.verify = true;
            if (args.size() > 1)
                return usage("records verify проверяет весь журнал: номера приборов не нужны");
            if (r.json || r.csv || parser_.isSet(days_))
                return usage("records verify: --json, --csv и --days не поддерживаются");
            r.against = parser_.value(against_);
            if (parser_.isSet(against_) && r.against.trimmed().isEmpty())
                return usage("records verify --against: не указан журнал рабочего места");
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

QString CommandLine::helpText() const {
    if (helpCommand_.isEmpty())
        return parser_.helpText();
    return CommandHelp::of(helpCommand_).value_or(QString()) +
           "\nВсе команды и параметры: ze23-cli --help\n";
}

CommandLine::Parsed CommandLine::checkHelp(const QStringList &args) {
    if (args.size() > 1)
        return usage("help: назовите одну команду, например ze23-cli help records");
    if (!args.isEmpty() && !CommandHelp::of(args.front()))
        return usage("help: команды «" + args.front() + "» нет; есть " +
                     CommandHelp::commands().join(", "));
    helpCommand_ = args.isEmpty() ? QString() : args.front();
    return Parsed::Help;
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
