#include "app/dialogs.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>

namespace {

DialogHost defaultHost;
DialogHost* currentHost = &defaultHost;

} // namespace

std::optional<QString> DialogHost::chooseFile(QFileDialog* dialog)
{
    const int result = dialog->exec();
    // Enter on a typed path closes the dialog but can leave the list of its name
    // completions on screen.
    for (QCompleter* completer : dialog->findChildren<QCompleter*>()) {
        if (completer->popup())
            completer->popup()->hide();
    }
    if (result != QDialog::Accepted || dialog->selectedFiles().isEmpty())
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
