#pragma once

// The tool's command line: what it asks for, read without side effects.

#include "core/common/errors.h"
#include "core/common/memorybudget.h"

#include <QString>
#include <QStringList>
#include <optional>

// A command line the tool does not take; the message says why in one line.
class UsageError : public PlsdError {
public:
    using PlsdError::PlsdError;
};

enum class Command { Help, Version, Info, Convert, Check, Render, Thumbnail };

struct Invocation {
    Command command = Command::Help;
    QString helpTopic;     // for Help: "" for the tool, or a subcommand's name
    QStringList files;     // Info: the files; Convert, Thumbnail: IN and OUT; Check, Render: the script
    bool credit = false;   // Convert: stamp the credit line
    QString picture;       // Check, Render: --picture, or empty
    bool werror = false;   // Check: warnings fail too
    QString output;        // Render: -o
    double scale = 1;      // Render: --scale
    bool numbers = false;  // Render: room numbers
    bool types = false;    // Render: type fills and legend
    int thumbnailSize = 0;    // Thumbnail: --size, the longer side at most
    qint64 memoryLimit = memorybudget::DefaultLimit;   // --memory-limit, for every command
    std::optional<int> metaroom;   // Render: --metaroom, the number of the metaroom to draw
};

// The bounds of render's --scale.
constexpr double MinRenderScale = 0.05;
constexpr double MaxRenderScale = 16;

// Reads the arguments after the program's name; raises UsageError.
Invocation parseCommandLine(const QStringList& arguments);

// The text --help prints for the tool ("") or a subcommand.
QString helpText(const QString& topic);

// True when running the invocation draws text, which needs fonts and so a GUI application.
bool needsFonts(const Invocation& invocation);
