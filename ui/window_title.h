#pragma once

#include <QCoreApplication>
#include <QString>

// "トヴリク (" + name + "さん用)": the title names whose passwords these are.
inline QString makeWindowTitle(const QString& ownerName)
{
    return QCoreApplication::translate("CVeldraDlg", "トヴリク (%1さん用)").arg(ownerName);
}
