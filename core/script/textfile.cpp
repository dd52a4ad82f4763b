#include "core/script/textfile.h"

#include "core/files/readfile.h"
#include "core/files/savefile.h"

namespace {

// The file errors of the script files are TextFileErrors, with the same message.
template <typename Operation>
auto asTextFileError(Operation operation)
{
    try {
        return operation();
    } catch (const TextFileError&) {
        throw;
    } catch (const FileError& error) {
        throw TextFileError(error.message());
    }
}

} // namespace

QByteArray ReadTextFile(const QString& path)
{
    return asTextFileError([&] {
        return files::readWholeFile(path, MaxScriptBytes,
                                    QStringLiteral("%1 is %2 bytes, more than the 64 MB (67108864 bytes) that a "
                                                   "room script may have"));
    });
}

void WriteTextFile(const QString& path, const QByteArray& bytes)
{
    asTextFileError([&] { files::saveFile(path, bytes); });
}
