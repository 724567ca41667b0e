#include "ui/one_line_edit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include "ui/secret_clipboard.h"

OneLineEdit::OneLineEdit(QWidget* parent) : QLineEdit(parent) {}

void OneLineEdit::setSecret(bool secret)
{
    if (secret == secret_)
        return;
    secret_ = secret;
    // Selecting text on X11 offers it as the primary selection at once.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (secret_)
        connect(clipboard, &QClipboard::selectionChanged, this, &OneLineEdit::markSelectionSecret);
    else
        disconnect(clipboard, &QClipboard::selectionChanged, this,
                   &OneLineEdit::markSelectionSecret);
}

QString OneLineEdit::firstLine(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        switch (text[i].unicode()) {
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\r':
        case 0x0085:
        case 0x2028:
        case 0x2029: return text.left(i);
        default: break;
        }
    }
    return text;
}

void OneLineEdit::pasteFirstLine()
{
    if (isReadOnly())
        return;
    const QString text = firstLine(QGuiApplication::clipboard()->text());
    if (!text.isEmpty() || hasSelectedText())
        insert(text);
}

void OneLineEdit::copyText()
{
    if (!secret_) {
        copy();
        return;
    }
    if (hasSelectedText() && echoMode() == QLineEdit::Normal)
        QGuiApplication::clipboard()->setMimeData(makeSecretTextMimeData(selectedText()));
}

void OneLineEdit::cutText()
{
    if (isReadOnly() || !hasSelectedText() || echoMode() != QLineEdit::Normal)
        return;
    copyText();
    del();
}

namespace {

// A text of Qt's own standard menu, as Qt's translation gives it (through
// a variable, so that lupdate leaves it to Qt's translation).
QString qtMenuText(const char* text)
{
    return QLineEdit::tr(text);
}

} // namespace

QMenu* OneLineEdit::createContextMenu()
{
    QMenu* menu = createStandardContextMenu();
    // The standard actions are known by their texts, which Qt itself gives them.
    for (QAction* action : menu->actions()) {
        const QString label = action->text().section(u'\t', 0, 0);
        void (OneLineEdit::*handler)() = nullptr;
        if (label == qtMenuText("&Paste"))
            handler = &OneLineEdit::pasteFirstLine;
        else if (secret_ && label == qtMenuText("&Copy"))
            handler = &OneLineEdit::copyText;
        else if (secret_ && label == qtMenuText("Cu&t"))
            handler = &OneLineEdit::cutText;
        if (handler == nullptr)
            continue;
        action->disconnect(this);
        connect(action, &QAction::triggered, this, handler);
    }
    return menu;
}

void OneLineEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
        pasteFirstLine();
        event->accept();
        return;
    }
    if (secret_ && event->matches(QKeySequence::Copy)) {
        copyText();
        event->accept();
        return;
    }
    if (secret_ && event->matches(QKeySequence::Cut) && !isReadOnly()) {
        cutText();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void OneLineEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}

void OneLineEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // A middle click on X11 pastes the primary selection.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && !isReadOnly() && clipboard->supportsSelection()) {
        deselect();
        insert(firstLine(clipboard->text(QClipboard::Selection)));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void OneLineEdit::dropEvent(QDropEvent* event)
{
    const QMimeData* dropped = event->mimeData();
    if (dropped == nullptr || !dropped->hasText() ||
        firstLine(dropped->text()) == dropped->text()) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData cut;
    cut.setText(firstLine(dropped->text()));
    QDropEvent drop(event->position(), event->possibleActions(), &cut, event->buttons(),
                    event->modifiers(), event->type());
    drop.setDropAction(event->proposedAction());
    QLineEdit::dropEvent(&drop);
    event->setDropAction(drop.dropAction());
    event->setAccepted(drop.isAccepted());
}

void OneLineEdit::markSelectionSecret()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection() || !clipboard->ownsSelection() || !hasSelectedText())
        return;
    const QMimeData* selection = clipboard->mimeData(QClipboard::Selection);
    if (selection == nullptr || hasSecretHint(*selection) || selection->text() != selectedText())
        return;
    clipboard->setMimeData(makeSecretTextMimeData(selectedText()), QClipboard::Selection);
}
