// Placeholder until this command is built: it says so instead of doing nothing.
#include "app/main.h"

#include "app/errors.h"

namespace {

[[noreturn]] void notBuiltYet()
{
    throw PlsdError(QStringLiteral("This command is not available in this build yet"));
}

} // namespace

void TfrmMainForm::LoadBackground(const QString&)
{
    notBuiltYet();
}

void TfrmMainForm::SaveBackground(const QString&)
{
    notBuiltYet();
}
