#include "app/CommandLine.h"

#include <QFileInfo>
#include <array>

namespace {
// Options the toolkit takes itself, and whether a value follows them.
struct TToolkitOption {
    const char *name;
    bool value;
};
constexpr std::array<TToolkitOption, 20> ToolkitOptions{{
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true},
    {"qwindowicon", true},     {"session", true},
    {"style", true},           {"stylesheet", true},
    {"display", true},         {"geometry", true},
    {"title", true},           {"name", true},
    {"reverse", false},        {"widgetcount", false},
    {"nograb", false},         {"dograb", false},
    {"sync", false},           {"qmljsdebugger", false},
}};

// The option's entry when it is one of the toolkit's (with one dash or two,
// its value after "=" or in the next argument), else nullptr.
const TToolkitOption *ToolkitOption(const QString &arg, bool *valueAttached)
{
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    *valueAttached = name.contains(QLatin1Char('='));
    name = name.section(QLatin1Char('='), 0, 0);
    for (const TToolkitOption &o : ToolkitOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

QString Help(const QString &program)
{
    return QStringLiteral("Usage: %1 [OPTION]... [FILE]\n"
                          "TOVAREK W, a white board for the classroom: draw over pictures and word lists.\n"
                          "\n"
                          "FILE, a picture, a PDF document or a text file of words, is opened at start-up;\n"
                          "without it the white board is shown.\n"
                          "\n"
                          "  -h, --help     show this help and end\n"
                          "  -v, --version  show the version and end\n"
                          "\n"
                          "The toolkit's own options (-platform, -style, -display and others) are taken as well.\n")
        .arg(program);
}

// Why a named file cannot be opened, or empty when it can.
QString FileProblem(const QString &file)
{
    const QFileInfo info(file);
    if (!info.exists())
        return QStringLiteral("there is no such file");
    if (info.isDir())
        return QStringLiteral("it is a folder, not a file");
    if (!info.isReadable())
        return QStringLiteral("it cannot be read (permission denied)");
    return {};
}

TCommandLine Failure(const QString &message, int code)
{
    TCommandLine r;
    r.Action = TCommandLine::Fail;
    r.Message = message;
    r.ExitCode = code;
    return r;
}
} // namespace

TCommandLine ParseCommandLine(const QStringList &arguments, const QString &program, const QString &version)
{
    TCommandLine r;
    bool options = true;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("-h") || arg == QLatin1String("--help"))) {
            r = {TCommandLine::Print, Help(program), 0, {}};
            return r;
        } else if (options && (arg == QLatin1String("-v") || arg == QLatin1String("--version"))) {
            r = {TCommandLine::Print, QStringLiteral("TOVAREK W %1\n").arg(version), 0, {}};
            return r;
        } else if (options && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            bool attached = false;
            const TToolkitOption *o = ToolkitOption(arg, &attached);
            if (!o)
                return Failure(
                    QStringLiteral("%1: unknown option %2\nTry '%1 --help' for the options.\n").arg(program, arg), 2);
            if (o->value && !attached && ++i >= arguments.size())
                return Failure(QStringLiteral("%1: the option %2 needs a value\n").arg(program, arg), 2);
        } else {
            r.Files << arg;
        }
    }
    for (const QString &file : r.Files) {
        const QString problem = FileProblem(file);
        if (!problem.isEmpty())
            return Failure(QStringLiteral("%1: cannot open %2: %3\n").arg(program, file, problem), 1);
    }
    return r;
}
