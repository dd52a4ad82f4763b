#include "app/dialogs.h"

#include <QFileDialog>

namespace {

DialogHost defaultHost;
DialogHost* currentHost = &defaultHost;

} // namespace

std::optional<QString> DialogHost::chooseFile(QFileDialog* dialog)
{
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

int DialogHost::runModal(QDialog* dialog)
{
    return dialog->exec();
}

DialogHost& dialogs()
{
    return *currentHost;
}

void setDialogHost(DialogHost* host)
{
    currentHost = host ? host : &defaultHost;
}
