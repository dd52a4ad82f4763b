#pragma once

#include <QString>
#include <stdexcept>

// A token or text from a file as a message quotes it: the token itself when it has at most
// 40 characters, else its first 40 characters and "...".
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

// "Cannot open file %s: reason", "Cannot create file %s: reason", "Cannot write file %s: reason"
// (the reason being the system's, such as "No space left on device") and "%s is not a
// regular file". Without a reason the message ends after the file's name.
class FileError : public PlsdError {
public:
    using PlsdError::PlsdError;
    static FileError cannotOpen(const QString& path, const QString& reason = {});
    static FileError cannotCreate(const QString& path, const QString& reason = {});
    static FileError cannotWrite(const QString& path, const QString& reason = {});
    static FileError cannotRead(const QString& path, const QString& reason = {});
    static FileError notRegular(const QString& path);
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
