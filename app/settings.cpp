#include "app/settings.h"

#include "app/dialogs.h"
#include "app/recentfiles.h"
#include "core/common/memorybudget.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace editorsettings {

namespace {

const QString MemoryLimitKey = QStringLiteral("memoryLimitMB");
const QString StampCreditKey = QStringLiteral("stampCreditLine");
constexpr int MostMegabytes = 1024 * 1024;   // 1 TB

} // namespace

qint64 memoryLimit(QSettings& settings)
{
    bool ok = false;
    const qint64 megabytes = settings.value(MemoryLimitKey).toLongLong(&ok);
    const qint64 bytes = megabytes << 20;
    if (!ok || megabytes > MostMegabytes || bytes < memorybudget::SmallestLimit)
        return memorybudget::DefaultLimit;
    return bytes;
}

void setMemoryLimit(QSettings& settings, qint64 bytes)
{
    settings.setValue(MemoryLimitKey, bytes >> 20);
}

void applyMemoryLimit()
{
    memorybudget::setLimit(memoryLimit(*recentfiles::userSettings()));
}

bool stampCredit(QSettings& settings)
{
    return settings.value(StampCreditKey, true).toBool();
}

void setStampCredit(QSettings& settings, bool stamp)
{
    settings.setValue(StampCreditKey, stamp);
}

} // namespace editorsettings

TfrmSettings::TfrmSettings(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    // Above the toolbox, which stays on top and would cover it otherwise.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    spnMemoryLimit = new QSpinBox(this);
    spnMemoryLimit->setObjectName(QStringLiteral("spnMemoryLimit"));
    spnMemoryLimit->setRange(int(memorybudget::SmallestLimit >> 20), editorsettings::MostMegabytes);
    spnMemoryLimit->setSingleStep(256);
    spnMemoryLimit->setSuffix(QStringLiteral(" MB"));
    auto* explanation = new QLabel(QStringLiteral("A picture or background file that needs more memory than this "
                                                  "is refused before it is read."),
                                   this);
    explanation->setWordWrap(true);

    chkStampCredit = new QCheckBox(QStringLiteral("Stamp the &credit line on imported pictures"), this);
    chkStampCredit->setObjectName(QStringLiteral("chkStampCredit"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Memory limit:"), spnMemoryLimit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("btnsSettings"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(explanation);
    layout->addWidget(chkStampCredit);
    layout->addWidget(buttons);
}

bool TfrmSettings::edit()
{
    const auto settings = recentfiles::userSettings();
    spnMemoryLimit->setValue(int(editorsettings::memoryLimit(*settings) >> 20));
    chkStampCredit->setChecked(editorsettings::stampCredit(*settings));
    if (dialogs().runModal(this) != QDialog::Accepted)
        return false;
    const qint64 bytes = qint64(spnMemoryLimit->value()) << 20;
    editorsettings::setMemoryLimit(*settings, bytes);
    editorsettings::setStampCredit(*settings, chkStampCredit->isChecked());
    memorybudget::setLimit(bytes);
    return true;
}
