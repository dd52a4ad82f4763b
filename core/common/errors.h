#pragma once

#include <QString>
#include <stdexcept>

// A token as a message quotes it: unchanged up to 40 characters, else its first 40
// characters followed by "...".
QString shortenedToken(const QString& token);

// Every failure the user can meet is one of these; what() is the message shown.
class PlsdError : public std::runtime_error {
public:
    explicit PlsdError(const QString& message);
    QString message() const;
};

// "'%s' is not a valid integer value"
class ConversionError : public PlsdError {
public:
    explicit ConversionError(const QString& text);
    QString text;
};

// "List index out of bounds"
class ListIndexError : public PlsdError {
public:
    ListIndexError();
};

// "Cannot open file %s", "Cannot create file %s" and the messages of text files.
class FileError : public PlsdError {
public:
    using PlsdError::PlsdError;
    static FileError cannotOpen(const QString& path);
    static FileError cannotCreate(const QString& path);
};

// "Bitmap image is not valid", "Invalid image dimensions", ...
class BitmapError : public PlsdError {
public:
    using PlsdError::PlsdError;
};

// A file whose content this program does not accept.
class FormatError : public PlsdError {
public:
    using PlsdError::PlsdError;
};
