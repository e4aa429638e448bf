#include "cli/CCommandLine.h"

#include "cli/CliOptions.h"
#include "cli/CliText.h"
#include "core/ResultColumns.h"
#include "res/ResourceIds.h"

#include <QDate>
#include <cstdint>
#include <limits>

namespace {

enum Mode { kFirstMode = 0, kBetween = 1, kLastMode = 2 };

// A criterion with a mode word and one or two values (--size, --created...).
struct RangeOption
{
    const char *name;
    const char *words[3];     // mode words in the criteria record's order
    bool isDate;
};

const RangeOption kRangeOptions[] = {
    {"--size", {"less", "between", "larger"}, false},
    {"--created", {"older", "between", "recent"}, true},
    {"--modified", {"older", "between", "recent"}, true},
    {"--accessed", {"older", "between", "recent"}, true},
};

const char *const kSortWords[kColumnCount] = {"file", "location", "size", "created", "modified", "accessed", "reason"};

QString Arg(const QByteArray &bytes)
{
    return QString::fromUtf8(EscapeForMessage(bytes));
}

class CArgReader
{
public:
    explicit CArgReader(const QList<QByteArray> &args) : m_args(args) {}
    bool AtEnd() const { return m_next >= m_args.size(); }
    const QByteArray &Peek() const { return m_args[m_next]; }
    QByteArray Take() { return m_args[m_next++]; }

private:
    const QList<QByteArray> &m_args;
    qsizetype m_next = 0;
};

bool NeedValue(CArgReader &reader, const QByteArray &option, const QString &what, QByteArray &value,
               QString &error)
{
    if (reader.AtEnd()) {
        error = CliText(IDS_CLI_MISSING_ARGUMENT, {Arg(option), what});
        return false;
    }
    value = reader.Take();
    return true;
}

bool ApplyRange(const RangeOption &option, CArgReader &reader, CFileScan &scan, QString &error)
{
    const QByteArray name(option.name);
    const QString choices = QStringLiteral("%1|%2|%3").arg(QLatin1String(option.words[0]),
                                                           QLatin1String(option.words[1]),
                                                           QLatin1String(option.words[2]));
    QByteArray word;
    if (!NeedValue(reader, name, choices, word, error))
        return false;
    int mode = -1;
    for (int m = kFirstMode; m <= kLastMode; ++m) {
        if (word == option.words[m])
            mode = m;
    }
    if (mode < 0) {
        error = CliText(IDS_CLI_BAD_CHOICE, {Arg(name), choices, Arg(word)});
        return false;
    }
    const QString valueName = option.isDate ? QStringLiteral("a date (YYYY-MM-DD)") : QStringLiteral("a size in KB");
    const int count = mode == kBetween ? 2 : 1;
    QByteArray values[2];
    for (int v = 0; v < count; ++v) {
        const QString what = v == 0 ? valueName : valueName + QStringLiteral(" as the second value of ") + Arg(word);
        if (!NeedValue(reader, name, what, values[v], error))
            return false;
    }

    if (!option.isDate) {
        long from = 0;
        long to = 0;
        for (int v = 0; v < count; ++v) {
            if (!CCommandLine::ParseKilobytes(values[v], v == 0 ? from : to)) {
                error = CliText(IDS_CLI_BAD_SIZE, {Arg(name), Arg(values[v])});
                return false;
            }
        }
        scan.m_bSize = 1;
        scan.m_nSizeMode = mode;
        scan.m_nSizeFrom = from;
        if (count == 2)
            scan.m_nSizeTo = to;
        return true;
    }

    CTime times[2];
    for (int v = 0; v < count; ++v) {
        int year = 0;
        int month = 0;
        int day = 0;
        if (!CCommandLine::ParseDate(values[v], year, month, day)) {
            error = CliText(IDS_CLI_BAD_DATE, {Arg(name), Arg(values[v])});
            return false;
        }
        // The pages keep the first date at the start of its day and the
        // second at its end, so "between" takes in both days whole.
        times[v] = v == 0 ? CTime(year, month, day, 0, 0, 0) : CTime(year, month, day, 23, 59, 59);
    }
    int *flag;
    int *modeField;
    CTime *from;
    CTime *to;
    if (name == "--created") {
        flag = &scan.m_bCreation;
        modeField = &scan.m_nCreationMode;
        from = &scan.m_timeCreationFrom;
        to = &scan.m_timeCreationTo;
    } else if (name == "--modified") {
        flag = &scan.m_bModified;
        modeField = &scan.m_nModifiedMode;
        from = &scan.m_timeModifiedFrom;
        to = &scan.m_timeModifiedTo;
    } else {
        flag = &scan.m_bAccessed;
        modeField = &scan.m_nAccessedMode;
        from = &scan.m_timeAccessedFrom;
        to = &scan.m_timeAccessedTo;
    }
    *flag = 1;
    *modeField = mode;
    *from = times[0];
    if (count == 2)
        *to = times[1];
    return true;
}

// Adds a pattern to a list; the first one given replaces the defaults.
bool ApplyPattern(CArgReader &reader, const QByteArray &option, QStringList &list, int &flag, QString &error)
{
    QByteArray pattern;
    if (!NeedValue(reader, option, QStringLiteral("a pattern"), pattern, error))
        return false;
    if (pattern.isEmpty()) {
        error = CliText(IDS_CLI_EMPTY_PATTERN, {Arg(option)});
        return false;
    }
    if (!flag)
        list.clear();
    flag = 1;
    list.append(QString::fromUtf8(pattern));
    return true;
}

bool ParseScanOption(const QByteArray &option, CArgReader &reader, CliRequest &request, bool &custom,
                     bool &express, QString &error)
{
    CFileScan &scan = request.criteria;
    if (option == "--express") {
        express = true;
        return true;
    }
    if (option == "--location") {
        custom = true;
        return ApplyPattern(reader, option, scan.m_arrLocations, scan.m_bLocation, error);
    }
    if (option == "--name") {
        custom = true;
        return ApplyPattern(reader, option, scan.m_arrNames, scan.m_bName, error);
    }
    if (option == "--ext") {
        custom = true;
        return ApplyPattern(reader, option, scan.m_arrExtensions, scan.m_bExtension, error);
    }
    for (const RangeOption &range : kRangeOptions) {
        if (option == range.name) {
            custom = true;
            return ApplyRange(range, reader, scan, error);
        }
    }
    if (option == "--print0") {
        request.print0 = true;
        return true;
    }
    if (option == "--format") {
        const QString choices = QStringLiteral("lines|csv|json");
        QByteArray word;
        if (!NeedValue(reader, option, choices, word, error))
            return false;
        if (word != "lines" && word != "csv" && word != "json") {
            error = CliText(IDS_CLI_BAD_CHOICE, {Arg(option), choices, Arg(word)});
            return false;
        }
        request.csv = word == "csv";
        request.json = word == "json";
        return true;
    }
    if (option == "--no-progress") {
        request.noProgress = true;
        return true;
    }
    if (option == "--summary") {
        request.summary = true;
        return true;
    }
    if (option == "--reverse") {
        request.reverse = true;
        return true;
    }
    if (option == "--sort") {
        const QString choices = QStringLiteral("file|location|size|created|modified|accessed|reason");
        QByteArray word;
        if (!NeedValue(reader, option, choices, word, error))
            return false;
        for (int column = 0; column < kColumnCount; ++column) {
            if (word == kSortWords[column])
                request.sortColumn = column;
        }
        if (request.sortColumn < 0) {
            error = CliText(IDS_CLI_BAD_CHOICE, {Arg(option), choices, Arg(word)});
            return false;
        }
        return true;
    }
    if (option == "--save") {
        if (!NeedValue(reader, option, QStringLiteral("a file name"), request.savePath, error))
            return false;
        if (request.savePath.isEmpty()) {
            error = CliText(IDS_CLI_MISSING_ARGUMENT, {Arg(option), QStringLiteral("a file name")});
            return false;
        }
        return true;
    }
    error = CliText(IDS_CLI_UNKNOWN_OPTION, {Arg(option)});
    return false;
}

unsigned CommandBit(CliRequest::Command command)
{
    switch (command) {
    case CliRequest::Scan: return kOnScan;
    case CliRequest::Delete: return kOnDelete;
    case CliRequest::Move: return kOnMove;
    case CliRequest::Zip: return kOnZip;
    default: break;
    }
    return kOnStart;
}

bool ParseActionOption(const QByteArray &option, CliRequest &request, QString &error)
{
    if (option == "--dry-run") {
        request.dryRun = true;
        return true;
    }
    if (option == "--preserve-path" && request.command == CliRequest::Move) {
        request.preservePath = true;
        return true;
    }
    if (option == "--summary") {
        request.summary = true;
        return true;
    }
    error = CliText(IDS_CLI_UNKNOWN_OPTION, {Arg(option)});
    return false;
}

} // namespace

bool CCommandLine::ParseDate(const QByteArray &text, int &year, int &month, int &day)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    year = text.left(4).toInt();
    month = text.mid(5, 2).toInt();
    day = text.mid(8, 2).toInt();
    return year >= 1 && QDate(year, month, day).isValid();
}

bool CCommandLine::ParseKilobytes(const QByteArray &text, long &value)
{
    // Digits only, as the size page takes them; the record holds 32 bits.
    if (text.isEmpty() || text.size() > 32)
        return false;
    std::int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
        if (number > std::numeric_limits<std::int32_t>::max())
            return false;
    }
    value = long(number);
    return true;
}

bool CCommandLine::Parse(const QList<QByteArray> &args, CliRequest &request, QString &error)
{
    request = CliRequest();
    CArgReader reader(args);
    if (reader.AtEnd()) {
        error = CliText(IDS_CLI_NO_COMMAND);
        return false;
    }
    const QByteArray first = reader.Take();
    const CliOption *startOption = FindCliOption(first);
    const QByteArray word = startOption && (startOption->commands & kOnStart) ? QByteArray(startOption->name) : first;
    if (word == "--help") {
        request.command = CliRequest::Help;
    } else if (word == "--version") {
        request.command = CliRequest::Version;
    } else if (word == "scan") {
        request.command = CliRequest::Scan;
    } else if (word == "delete") {
        request.command = CliRequest::Delete;
    } else if (word == "move") {
        request.command = CliRequest::Move;
    } else if (word == "zip") {
        request.command = CliRequest::Zip;
    } else if (word == "recover") {
        request.command = CliRequest::Recover;
    } else {
        error = word.startsWith('-') ? CliText(IDS_CLI_UNKNOWN_OPTION, {Arg(word)})
                                     : CliText(IDS_CLI_UNKNOWN_COMMAND, {Arg(word)});
        return false;
    }
    if (request.command == CliRequest::Help || request.command == CliRequest::Version
        || request.command == CliRequest::Recover) {
        if (!reader.AtEnd()) {
            error = CliText(IDS_CLI_UNKNOWN_OPTION, {Arg(reader.Peek())});
            return false;
        }
        return true;
    }

    bool custom = false;
    bool express = false;
    bool optionsEnded = false;
    QList<QByteArray> operands;
    while (!reader.AtEnd()) {
        const QByteArray arg = reader.Take();
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !arg.startsWith('-') || arg == "-") {
            operands.append(arg);
            continue;
        }
        // Every option is looked up in the one table, short forms included,
        // and must belong to the command.
        const CliOption *option = FindCliOption(arg);
        if (!option || !(option->commands & CommandBit(request.command))) {
            error = CliText(IDS_CLI_UNKNOWN_OPTION, {Arg(arg)});
            return false;
        }
        const QByteArray name(option->name);
        if (name == "--help") {
            request.command = CliRequest::Help;
            return true;
        }
        const bool ok = request.command == CliRequest::Scan
                            ? ParseScanOption(name, reader, request, custom, express, error)
                            : ParseActionOption(name, request, error);
        if (!ok)
            return false;
    }
    if (express && custom) {
        error = CliText(IDS_CLI_EXPRESS_AND_CUSTOM);
        return false;
    }
    if (request.print0 && (request.csv || request.json)) {
        // Two formats for one list: say which one wins rather than guess.
        error = CliText(IDS_CLI_BAD_CHOICE, {QStringLiteral("--format"), QStringLiteral("lines (with --print0)"),
                                             request.csv ? QStringLiteral("csv") : QStringLiteral("json")});
        return false;
    }
    request.criteria.m_bExpress = custom ? 0 : 1;

    switch (request.command) {
    case CliRequest::Scan:
        if (operands.size() != 1 || operands[0].isEmpty()) {
            error = CliText(IDS_CLI_OPERANDS, {QStringLiteral("scan"), QStringLiteral("one DRIVE")});
            return false;
        }
        request.drive = operands[0];
        break;
    case CliRequest::Delete:
        if (operands.size() != 1 || operands[0].isEmpty()) {
            error = CliText(IDS_CLI_OPERANDS, {QStringLiteral("delete"), QStringLiteral("one LIST")});
            return false;
        }
        request.listPath = operands[0];
        break;
    case CliRequest::Move:
        if (operands.size() != 2 || operands[0].isEmpty() || operands[1].isEmpty()) {
            error = CliText(IDS_CLI_OPERANDS, {QStringLiteral("move"), QStringLiteral("a LIST and a FOLDER")});
            return false;
        }
        request.listPath = operands[0];
        request.folder = operands[1];
        break;
    case CliRequest::Zip:
        if (operands.size() != 2 || operands[0].isEmpty() || operands[1].isEmpty()) {
            error = CliText(IDS_CLI_OPERANDS, {QStringLiteral("zip"), QStringLiteral("a LIST and an ARCHIVE")});
            return false;
        }
        request.listPath = operands[0];
        request.archive = operands[1];
        break;
    default:
        break;
    }
    return true;
}
