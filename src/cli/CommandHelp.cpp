#include "CommandHelp.h"

namespace {
const char *const Intro =
    "Настройка газоанализаторов серии ЗЭ-23 на производственном стенде через адаптеры USB "
    "(FTDI). Адаптер называется своим серийным номером, как его показывает list. Названные "
    "адаптеры обслуживаются одновременно, по каждому выводится одна строка результата.\n";

const char *const ExitStatuses =
    "Код завершения: 0 — всё выполнено (write: все значения подтверждены, с --save и\n"
    "сохранены); 1 — что-то не удалось (прибор не отвечает, файл не подходит, значение не\n"
    "подтверждено, записи нет); 2 — ошибка в командной строке.";

// Each command with its forms, as the help lists them.
struct Entry {
    const char *command;
    const char *text;
};

const Entry Commands[] = {
    {"list", "  list\n"
             "      Адаптеры: серийный номер и описание, по одному в строке.\n"
             "      Пример: ze23-cli list\n"},
    {"identify", "  identify ADAPTER...\n"
                 "      Вид, модель и серийный номер прибора на каждом адаптере.\n"
                 "      Пример: ze23-cli identify FT5A1B2C FT5A1B2D\n"},
    {"read", "  read ADAPTER... [-o FILE]\n"
             "      Настройки блоков прибора (датчик, насос) в JSON. Без -o — в стандартный вывод\n"
             "      (с одним адаптером; с --json — в строке каждого адаптера). В FILE {adapter}\n"
             "      заменяется серийным номером адаптера, {serial} — серийным номером прибора;\n"
             "      с несколькими адаптерами одно из них нужно.\n"
             "      Пример: ze23-cli read FT5A1B2C FT5A1B2D -o 'ze23-{serial}.json'\n"},
    {"diff", "  diff ADAPTER... FILE\n"
             "      Чем настройки прибора отличаются от файла; прежде — почему файл не подходит\n"
             "      прибору (другой вид, значения вне допустимых).\n"
             "      Пример: ze23-cli diff FT5A1B2C obrazec.json\n"},
    {"write",
     "  write ADAPTER... FILE [--save]\n"
     "      Записать настройки из файла: отличающиеся значения пишутся, все читаются обратно,\n"
     "      о каждом записанном сказано, подтверждено ли оно. С --save блоки сохраняют\n"
     "      настройки, только если подтверждены все значения. Файл с прибора другого вида или\n"
     "      со значениями вне допустимых не записывается. Пороги блока ПГС блок задаёт сам:\n"
     "      их отличия показываются, но не пишутся.\n"
     "      Пример: ze23-cli write FT5A1B2C FT5A1B2D obrazec.json --save\n"},
    {"stand", "  stand ADAPTER CHANNEL\n"
              "      Переключить мультиплексор испытательного стенда на канал CHANNEL (1–32).\n"
              "      Пример: ze23-cli stand FT5A1B2C 5\n"},
    {"records",
     "  records [SERIAL...] [--json|--csv]\n"
     "      Журнал калибровок: по строке на запись (номер, дата, прибор, модель, блок\n"
     "      датчика, итог, следующая калибровка, кто выполнил), все записи или приборов с\n"
     "      этими серийными номерами, старые первыми. --json — все поля каждой записи,\n"
     "      --csv — таблица для электронной таблицы, как её сохраняет окно журнала (через\n"
     "      «;», первая строка — заголовки).\n"
     "      Пример: ze23-cli records 23101 23102\n"
     "  records due [SERIAL...] [--days N] [--json]\n"
     "      Приборы, чья следующая калибровка наступает в ближайшие N дней (по умолчанию\n"
     "      30) или уже прошла, а также те, чья последняя калибровка не удалась или прервана:\n"
     "      по строке на прибор, самые срочные первыми.\n"
     "      Пример: ze23-cli records due --days 14\n"
     "  records verify [--against BENCH_JOURNAL]\n"
     "      Проверить, что каждая запись журнала такая, какой записана, и ни одной не\n"
     "      недостаёт (по контрольным суммам записей). Код 1 — если нет. С --against —\n"
     "      ещё и сверить журнал запись за записью с журналом рабочего места: чего нет в\n"
     "      одном из них, что изменено или перенумеровано. Последние записи рабочего места\n"
     "      сверяются и с тем, что о них помнит этот компьютер: удалённые из журнала видны.\n"
     "      Пример: ze23-cli --records postgresql://ivanova@lab/ze23 records verify --against\n"
     "      records.sqlite\n"},
    {"certificate", "  certificate NUMBER -o FILE.pdf\n"
                    "      Свидетельство о калибровке по записи журнала NUMBER — в PDF.\n"
                    "      Пример: ze23-cli certificate 17 -o svidetelstvo-17.pdf\n"},
    {"cylinders",
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
     "      'ООО «Мониторинг»' --certified 2026-06-01 --expiry 2027-06-01\n"},
    {"journal",
     "  journal grant --records postgresql://ВЛАДЕЛЕЦ@СЕРВЕР/БАЗА\n"
     "      Для журнала на сервере, от имени владельца базы: создать таблицы журнала, если\n"
     "      их нет, и роли ze23_technician (читает и добавляет записи и баллоны, ничего не\n"
     "      меняет и не удаляет) и ze23_reader (только читает). Вход сотрудника получает\n"
     "      одну из них: CREATE ROLE ivanova LOGIN IN ROLE ze23_technician.\n"
     "      Пример: ze23-cli journal grant --records postgresql://ze23@db.lab/ze23\n"
     "  journal new-bench [--records FILE]\n"
     "      Завести журналу рабочего места новый номер места: для журнала, скопированного\n"
     "      с другого компьютера или восстановленного из резервной копии (так говорит\n"
     "      records verify). Записи журнала остаются как есть, новые идут под новым\n"
     "      номером; сохранённые в копии до того на сервер не отправляются.\n"
     "      Пример: ze23-cli journal new-bench --records records.sqlite\n"},
    {"help", "  help [COMMAND]\n"
             "      Эта справка; с COMMAND — только о команде COMMAND.\n"
             "      Пример: ze23-cli help records\n"},
};
} // namespace

QString CommandHelp::description() {
    QString text = QString::fromUtf8(Intro) + "\nКоманды:\n";
    for (const Entry &e : Commands)
        text += QString::fromUtf8(e.text);
    return text + "\n" + QString::fromUtf8(ExitStatuses);
}

QStringList CommandHelp::commands() {
    QStringList names;
    for (const Entry &e : Commands)
        names << e.command;
    return names;
}

std::optional<QString> CommandHelp::of(const QString &command) {
    for (const Entry &e : Commands)
        if (command == QLatin1String(e.command))
            return QString::fromUtf8(e.text);
    return std::nullopt;
}
