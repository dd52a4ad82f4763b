#include "tool/commandline.h"

namespace {

const QString Program = QStringLiteral("palisandre-tool");

[[noreturn]] void usage(const QString& message, const QString& topic = {})
{
    const QString help = topic.isEmpty() ? Program + QStringLiteral(" --help") : Program + ' ' + topic + " --help";
    throw UsageError(QStringLiteral("%1 (see %2)").arg(message, help));
}

bool isHelp(const QString& argument)
{
    return argument == QStringLiteral("--help") || argument == QStringLiteral("-h");
}

// The arguments of a subcommand: its options (among `known`), and the rest in order.
// "--" ends the options.
struct Arguments {
    QStringList options;
    QStringList positional;
    bool help = false;
};

Arguments splitArguments(const QString& command, const QStringList& arguments, const QStringList& known)
{
    Arguments split;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (optionsEnded || !argument.startsWith('-') || argument == QStringLiteral("-")) {
            split.positional.append(argument);
        } else if (argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (isHelp(argument)) {
            split.help = true;
        } else if (known.contains(argument)) {
            split.options.append(argument);
        } else {
            usage(QStringLiteral("%1: unknown option '%2'").arg(command, argument), command);
        }
    }
    return split;
}

Invocation parseInfo(const QStringList& arguments)
{
    const Arguments split = splitArguments(QStringLiteral("info"), arguments, {});
    Invocation invocation;
    if (split.help) {
        invocation.helpTopic = QStringLiteral("info");
        return invocation;
    }
    if (split.positional.isEmpty())
        usage(QStringLiteral("info: no file given"), QStringLiteral("info"));
    invocation.command = Command::Info;
    invocation.files = split.positional;
    return invocation;
}

Invocation parseConvert(const QStringList& arguments)
{
    const Arguments split = splitArguments(QStringLiteral("convert"), arguments, {QStringLiteral("--credit")});
    Invocation invocation;
    if (split.help) {
        invocation.helpTopic = QStringLiteral("convert");
        return invocation;
    }
    if (split.positional.size() != 2)
        usage(QStringLiteral("convert: takes two files, IN and OUT, but %1 given").arg(split.positional.size()),
              QStringLiteral("convert"));
    invocation.command = Command::Convert;
    invocation.files = split.positional;
    invocation.credit = split.options.contains(QStringLiteral("--credit"));
    return invocation;
}

} // namespace

Invocation parseCommandLine(const QStringList& arguments)
{
    if (arguments.isEmpty())
        usage(QStringLiteral("no command given"));
    const QString& first = arguments.constFirst();
    const QStringList rest = arguments.mid(1);
    if (isHelp(first) || first == QStringLiteral("--version")) {
        if (!rest.isEmpty())
            usage(QStringLiteral("%1 takes no arguments").arg(first));
        Invocation invocation;
        invocation.command = isHelp(first) ? Command::Help : Command::Version;
        return invocation;
    }
    if (first == QStringLiteral("info"))
        return parseInfo(rest);
    if (first == QStringLiteral("convert"))
        return parseConvert(rest);
    if (first.startsWith('-'))
        usage(QStringLiteral("unknown option '%1'").arg(first));
    usage(QStringLiteral("unknown command '%1'").arg(first));
}

QString helpText(const QString& topic)
{
    if (topic == QStringLiteral("info"))
        return QStringLiteral(
            "Usage: palisandre-tool info FILE...\n"
            "\n"
            "Shows what each file holds:\n"
            "  a background file (.blk)   its columns, rows, blocks, pixel format, picture size,\n"
            "                             and whether its block offsets lie back to back\n"
            "  a room script (.cos)       its metaroom values, rooms and doors, with room numbers\n"
            "  any other picture          its size and format\n"
            "\n"
            "Exit status: 0, or 2 when a file could not be read.\n");
    if (topic == QStringLiteral("convert"))
        return QStringLiteral(
            "Usage: palisandre-tool convert [--credit] IN OUT\n"
            "\n"
            "Converts a background file (.blk) to a picture, or a picture to a background file.\n"
            "The formats follow the names' extensions: any picture format Qt reads or writes\n"
            "here (png, bmp, jpg, tif, webp, ...), a Windows bitmap for a name without one.\n"
            "OUT is replaced only when all of it is written.\n"
            "A picture is cut into blocks of 128 x 128 pixels, white where it ends; colours are\n"
            "cut to 5-6-5 bits; transparent pixels are laid over white.\n"
            "\n"
            "Options:\n"
            "  --credit   stamp the editor's credit line at the picture's top left\n"
            "\n"
            "Exit status: 0, or 2 when the conversion failed (OUT is then left as it was).\n");
    return QStringLiteral(
        "Usage: palisandre-tool COMMAND [OPTIONS] [FILES]\n"
        "       palisandre-tool --help | --version\n"
        "\n"
        "Converts and inspects the files of Creatures 3 metarooms.\n"
        "\n"
        "Commands:\n"
        "  info FILE...     what a background file, room script or picture holds\n"
        "  convert IN OUT   a background file to a picture, or a picture to a background file\n"
        "\n"
        "'palisandre-tool COMMAND --help' tells more about a command.\n");
}

bool needsFonts(const Invocation& invocation)
{
    return invocation.command == Command::Convert && invocation.credit;
}
