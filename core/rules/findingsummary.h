#pragma once

#include "core/rules/gamerules.h"

#include <QList>
#include <QString>

// Findings of the game's rules as a window or a command line tells them.

QString SeverityName(Severity severity);   // "error", "warning", "note"

struct FindingCounts {
    int errors = 0;
    int warnings = 0;
    int notes = 0;

    bool operator==(const FindingCounts&) const = default;
};

FindingCounts CountFindings(const QList<Finding>& findings);

// "2 errors, 1 warning, 3 notes", leaving out the severities with none; "no problems".
QString FindingsSummary(const FindingCounts& counts);
