#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QTextDocument>

// The text of a multi-line edit exactly as it holds it, its lines joined by
// CR LF. toPlainText() would turn a no-break space into a space and a line
// separator into a line break, and so change a list that was never edited.
inline QString plainTextOf(const QPlainTextEdit& edit)
{
    return edit.document()->toRawText().replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
}

// Shows a text whose lines are joined by CR LF.
inline void setPlainTextOf(QPlainTextEdit& edit, const QString& text)
{
    edit.setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}
