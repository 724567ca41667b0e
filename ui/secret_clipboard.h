#pragma once

class QMimeData;
class QString;

// Unicode text for the clipboard, marked so that clipboard-history tools of
// the platform do not keep it: the text itself is unchanged.
QMimeData* makeSecretTextMimeData(const QString& text);
// The same, into data of the caller's own.
void setSecretText(QMimeData& data, const QString& text);
// True when the data carries the mark that makeSecretTextMimeData sets.
bool hasSecretHint(const QMimeData& data);
