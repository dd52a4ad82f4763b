#include "tool/commandline.h"

#include "core/files/mapfiles.h"
#include "tool/thumbnail.h"

#include <QHash>

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

// The arguments of a subcommand: its flags (among `flags`), its options with a value
// (among `valued`, the value the next argument), and the rest in order. "--" ends the
// options.
struct Arguments {
    QStringList options;
    QHash<QString, QString> values;
    QStringList positional;
    bool help = false;
};

Arguments splitArguments(const QString& command, const QStringList& arguments, const QStringList& flags,
                         const QStringList& valued = {})
{
    Arguments split;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-') || argument == QStringLiteral("-")) {
            split.positional.append(argument);
        } else if (argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (isHelp(argument)) {
            split.help = true;
        } else if (flags.contains(argument)) {
            split.options.append(argument);
        } else if (valued.contains(argument)) {
            if (i + 1 >= arguments.size())
                usage(QStringLiteral("%1: option '%2' needs a value").arg(command, argument), command);
            split.values.insert(argument, arguments[++i]);
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

// The one script that check and render take.
QString onlyScript(const QString& command, const Arguments& split)
{
    if (split.positional.size() != 1)
        usage(QStringLiteral("%1: takes one room script, but %2 given").arg(command).arg(split.positional.size()),
              command);
    return split.positional.first();
}

Invocation parseCheck(const QStringList& arguments)
{
    const QString command = QStringLiteral("check");
    const Arguments split =
        splitArguments(command, arguments, {QStringLiteral("--werror")}, {QStringLiteral("--picture")});
    Invocation invocation;
    if (split.help) {
        invocation.helpTopic = command;
        return invocation;
    }
    invocation.command = Command::Check;
    invocation.files = {onlyScript(command, split)};
    invocation.picture = split.values.value(QStringLiteral("--picture"));
    invocation.werror = split.options.contains(QStringLiteral("--werror"));
    return invocation;
}

double scaleOf(const QString& text)
{
    bool ok = false;
    const double scale = text.toDouble(&ok);
    if (!ok || !(scale >= MinRenderScale && scale <= MaxRenderScale))
        usage(QStringLiteral("render: the scale '%1' is not a number from %2 to %3")
                  .arg(text)
                  .arg(MinRenderScale)
                  .arg(MaxRenderScale),
              QStringLiteral("render"));
    return scale;
}

Invocation parseRender(const QStringList& arguments)
{
    const QString command = QStringLiteral("render");
    const Arguments split = splitArguments(command, arguments, {QStringLiteral("--numbers"), QStringLiteral("--types")},
                                           {QStringLiteral("--picture"), QStringLiteral("-o"), QStringLiteral("--scale"),
                                            QStringLiteral("--metaroom")});
    Invocation invocation;
    if (split.help) {
        invocation.helpTopic = command;
        return invocation;
    }
    invocation.command = Command::Render;
    invocation.files = {onlyScript(command, split)};
    invocation.picture = split.values.value(QStringLiteral("--picture"));
    invocation.output = split.values.value(QStringLiteral("-o"));
    if (invocation.output.isEmpty())
        usage(QStringLiteral("render: no output picture given (-o OUT.png)"), command);
    if (split.values.contains(QStringLiteral("--scale")))
        invocation.scale = scaleOf(split.values.value(QStringLiteral("--scale")));
    invocation.numbers = split.options.contains(QStringLiteral("--numbers"));
    invocation.types = split.options.contains(QStringLiteral("--types"));
    if (split.values.contains(QStringLiteral("--metaroom"))) {
        const QString text = split.values.value(QStringLiteral("--metaroom"));
        bool ok = false;
        invocation.metaroom = text.toInt(&ok);
        if (!ok)
            usage(QStringLiteral("render: the metaroom '%1' is not a number").arg(shortenedToken(text)), command);
    }
    return invocation;
}

Invocation parseThumbnail(const QStringList& arguments)
{
    const QString command = QStringLiteral("thumbnail");
    const Arguments split = splitArguments(command, arguments, {}, {QStringLiteral("--size"), QStringLiteral("-s")});
    Invocation invocation;
    if (split.help) {
        invocation.helpTopic = command;
        return invocation;
    }
    if (split.positional.size() != 2)
        usage(QStringLiteral("thumbnail: takes two files, IN and OUT.png, but %1 given").arg(split.positional.size()),
              command);
    invocation.command = Command::Thumbnail;
    invocation.files = split.positional;
    invocation.thumbnailSize = DefaultThumbnailSize;
    const QString size = split.values.value(QStringLiteral("--size"), split.values.value(QStringLiteral("-s")));
    if (!size.isEmpty()) {
        bool ok = false;
        invocation.thumbnailSize = size.toInt(&ok);
        if (!ok || invocation.thumbnailSize < 1 || invocation.thumbnailSize > MaxThumbnailSize)
            usage(QStringLiteral("thumbnail: the size '%1' is not a whole number from 1 to %2").arg(size).arg(MaxThumbnailSize),
                  command);
    }
    return invocation;
}

} // namespace

namespace {

// Takes --memory-limit SIZE (or --memory-limit=SIZE), which every command takes, out of the
// arguments before "--".
qint64 takeMemoryLimit(QStringList& arguments)
{
    const QString option = QStringLiteral("--memory-limit");
    qint64 limit = memorybudget::DefaultLimit;
    for (qsizetype i = 0; i < arguments.size() && arguments[i] != QStringLiteral("--");) {
        QString value;
        if (arguments[i] == option) {
            if (i + 1 >= arguments.size())
                usage(QStringLiteral("option '%1' needs a value").arg(option));
            value = arguments[i + 1];
            arguments.remove(i, 2);
        } else if (arguments[i].startsWith(option + QLatin1Char('='))) {
            value = arguments[i].mid(option.size() + 1);
            arguments.remove(i);
        } else {
            ++i;
            continue;
        }
        const std::optional<qint64> parsed = memorybudget::parseSize(value);
        if (!parsed)
            usage(QStringLiteral("the memory limit '%1' is not a size of at least 16 MB, such as 512M or 2G")
                      .arg(shortenedToken(value)));
        limit = *parsed;
    }
    return limit;
}

Invocation parseCommand(const QStringList& arguments);

} // namespace

Invocation parseCommandLine(const QStringList& given)
{
    QStringList arguments = given;
    const qint64 memoryLimit = takeMemoryLimit(arguments);
    Invocation invocation = parseCommand(arguments);
    invocation.memoryLimit = memoryLimit;
    return invocation;
}

namespace {

Invocation parseCommand(const QStringList& arguments)
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
    if (first == QStringLiteral("check"))
        return parseCheck(rest);
    if (first == QStringLiteral("render"))
        return parseRender(rest);
    if (first == QStringLiteral("thumbnail"))
        return parseThumbnail(rest);
    if (first.startsWith('-'))
        usage(QStringLiteral("unknown option '%1'").arg(shortenedToken(first)));
    usage(QStringLiteral("unknown command '%1'").arg(shortenedToken(first)));
}

} // namespace

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
            "Exit status: 0, or 2 when a file could not be read.\n"
            "\n"
            "Only regular files are read: a FIFO, socket or device is refused.\n");
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
    if (topic == QStringLiteral("check"))
        return QStringLiteral(
            "Usage: palisandre-tool check [--picture FILE] [--werror] SCRIPT\n"
            "\n"
            "Reads a room script (.cos) as the editor loads it into an empty map and checks the\n"
            "map against the game's rules. Prints each finding as\n"
            "  SCRIPT:LINE: error: message      (or warning:, note:)\n"
            "LINE being the line of the finding's first room, of the door line for a door, or of\n"
            "the brmi, addm or mmsc line for the metaroom's values. A script that does not read is\n"
            "one such error line. A summary follows on standard error.\n"
            "\n"
            "Options:\n"
            "  --picture FILE   also check the rooms against the size of this background file\n"
            "                   (.blk) or picture\n"
            "  --werror         fail on warnings too\n"
            "\n"
            "Exit status: 0 with no error, 1 with one (with --werror, also with a warning),\n"
            "2 when a file could not be read or an argument is wrong.\n");
    if (topic == QStringLiteral("render"))
        return QStringLiteral(
            "Usage: palisandre-tool render [OPTIONS] SCRIPT -o OUT.png\n"
            "\n"
            "Draws the map of a room script (.cos): the background, every room outlined, the\n"
            "edges rooms share (where the game makes doors) in amber with the permeability of\n"
            "their door line at the middle, and door lines between rooms that share no edge as\n"
            "red lines between the rooms' centres. The picture's format follows OUT's extension.\n"
            "OUT is replaced only when all of it is written.\n"
            "\n"
            "Options:\n"
            "  -o OUT           the picture to write (required)\n"
            "  --picture FILE   the background: a background file (.blk) or any picture;\n"
            "                   without one, a dark grey surface of the map's size\n"
            "  --scale S        draw at S times the size, 0.05 to 16 (default 1)\n"
            "  --numbers        write each room's game number at its centre\n"
            "  --types          fill each room with its type's colour, with a legend\n"
            "  --metaroom N     of a script with several metarooms, the one numbered N\n"
            "                   (default: the first)\n"
            "\n"
            "Exit status: 0, or 2 when a file could not be read or written (OUT is then left as\n"
            "it was).\n");
    if (topic == QStringLiteral("thumbnail"))
        return QStringLiteral(
            "Usage: palisandre-tool thumbnail [--size N] IN OUT.png\n"
            "\n"
            "Writes a preview of IN as a PNG picture no larger than N pixels on its longer side,\n"
            "as file managers show it:\n"
            "  a background file (.blk)   its picture, from samples of its blocks\n"
            "  a room script (.cos)       its rooms drawn as render draws them, over the picture\n"
            "                             its metaroom line names when a background file (or\n"
            "                             picture) of that name lies beside the script\n"
            "  any other picture          the picture scaled down\n"
            "A picture that fits keeps its size. OUT is written as PNG whatever its extension,\n"
            "and replaced only when all of it is written.\n"
            "\n"
            "Options:\n"
            "  -s, --size N   the longer side at most, 1 to 4096 (default 256)\n"
            "\n"
            "Exit status: 0, or 2 when a file could not be read or written (OUT is then left as\n"
            "it was).\n");
    return QStringLiteral(
        "Usage: palisandre-tool COMMAND [OPTIONS] [FILES]\n"
        "       palisandre-tool --help | --version\n"
        "\n"
        "Converts and inspects the files of Creatures 3 metarooms.\n"
        "\n"
        "Commands:\n"
        "  info FILE...     what a background file, room script or picture holds\n"
        "  convert IN OUT   a background file to a picture, or a picture to a background file\n"
        "  check SCRIPT     checks a room script against the game's rules\n"
        "  render SCRIPT    draws the map of a room script as a picture\n"
        "  thumbnail IN OUT.png\n"
        "                   a small preview of a background file, room script or picture\n"
        "\n"
        "Options of every command:\n"
        "  --memory-limit SIZE   the most memory reading a picture or background file may\n"
        "                        take, in MB or with a unit (512M, 2G); default 1G. A file\n"
        "                        that claims more is refused before its pixels are read.\n"
        "\n"
        "Only regular files are read: a FIFO, socket or device given as input is refused.\n"
        "Outputs are replaced only when all of them is written, and a full disk or any\n"
        "other failure to write leaves the old file as it was.\n"
        "\n"
        "'palisandre-tool COMMAND --help' tells more about a command.\n");
}

bool needsFonts(const Invocation& invocation)
{
    return (invocation.command == Command::Convert && invocation.credit) || invocation.command == Command::Render
           || (invocation.command == Command::Thumbnail && mapfiles::kindOf(invocation.files.value(0)) == mapfiles::Kind::RoomScript);
}
