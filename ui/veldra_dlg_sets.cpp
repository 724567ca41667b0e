// The main window's character sets: the set selector, adding and deleting
// a set, and the in-place edit of the list, which the dialog's surface
// opens and commits.
#include "ui/veldra_dlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>

#include "charsets/char_list.h"
#include "charsets/char_set_table.h"
#include "settings/load_save.h"
#include "text/qt_text.h"
#include "ui/add_set_dlg.h"
#include "ui/ui_seams.h"

void CVeldraDlg::fillSetCombo()
{
    setCombo->clear();
    for (const std::u16string& entry : selectorEntries(model_.sets)) {
        // The add entry speaks the window's language; the name that no set
        // may take stays AddEntryName, the same in every language.
        setCombo->addItem(entry == AddEntryName ? tr("（追加）") : toQ(entry));
    }
    setCombo->setCurrentIndex(model_.sets.currentSet);
}

void CVeldraDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        onSurfaceButtonDown(event->position().toPoint());
    QDialog::mousePressEvent(event);
}

void CVeldraDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Not passed on: the base class would take the double-click for a
    // second button press, and that press would commit the edit just opened.
    if (event->button() == Qt::LeftButton)
        onSurfaceDoubleClick(event->position().toPoint());
}

bool CVeldraDlg::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // Labels, group frames and disabled controls leave clicks to the dialog.
        const bool surface = widget && widget != this &&
                             (!widget->isEnabled() || qobject_cast<QLabel*>(widget) ||
                              qobject_cast<QGroupBox*>(widget));
        if (!surface)
            break;
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QPoint pos = widget->mapTo(this, mouse->position().toPoint());
            if (event->type() == QEvent::MouseButtonPress)
                onSurfaceButtonDown(pos);
            else
                onSurfaceDoubleClick(pos);
        }
        return true;
    }
    case QEvent::FocusOut: {
        // No handler runs while an exchange does (its message box takes the
        // focus), and a control's own menu leaves the control active.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (exchanging_ || reason == Qt::PopupFocusReason)
            break;
        if (watched == lengthEdit)
            onClampLength();
        else if (watched == listEdit && model_.listEditing)
            commitListEdit();
        else if (std::find(seedNumberEdits.begin(), seedNumberEdits.end(), watched) !=
                 seedNumberEdits.end())
            onReadSeedNumbers();
        break;
    }
    case QEvent::ContextMenu:
        // A platform that turns the Menu key into a context menu would open
        // a control's own menu instead of the window's (see addWindowMenuKeys).
        if (!nativeAboutItem_ &&
            static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard)
            return true;
        break;
    case QEvent::KeyPress: {
        // The list edit has no use for Enter: it belongs to the default button.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (watched == listEdit && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            GenerateCommand();
            return true;
        }
        break;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void CVeldraDlg::onSurfaceButtonDown(QPoint)
{
    if (model_.listEditing)
        commitListEdit();
}

void CVeldraDlg::onSurfaceDoubleClick(QPoint pos)
{
    // The hit area is wherever the list edit lies, its border included.
    if (model_.listEditing || !listEdit->geometry().contains(pos))
        return;
    beginListEdit();
}

// A double-click on the list, or F2 anywhere in the window.
void CVeldraDlg::beginListEdit()
{
    if (model_.listEditing)
        return;
    listEdit->setEnabled(true);
    model_.listEditing = true;
    listEdit->setFocus();
}

void CVeldraDlg::commitListEdit()
{
    // The flag goes first: disabling the edit takes its focus, and that focus
    // loss must not commit a second time.
    model_.listEditing = false;
    listEdit->setEnabled(false);
    exchangeData(true);
    model_.currentList = listFromDisplay(model_.listDisplay, model_.currentList);
    model_.sets.setLists[static_cast<std::size_t>(model_.sets.currentSet)] = model_.currentList;
    model_.listDisplay = makeListDisplay(model_.currentList);
    exchangeData(false);
}

// The end of every set handler: the list of the selected set becomes
// current and shows, and the settings are saved.
void CVeldraDlg::refreshCurrentList()
{
    model_.currentList = currentSetList(model_.sets);
    model_.listDisplay = makeListDisplay(model_.currentList);
    exchangeData(false);
    saveAll();
}

void CVeldraDlg::onSetSelected(int index)
{
    if (index < 0)
        return;
    if (index >= model_.sets.setCount) {
        addSet();
        return;
    }
    selectSet(model_.sets, index);
    fillSetCombo();
    refreshCurrentList();
}

void CVeldraDlg::addSet()
{
    CharSetTable& sets = model_.sets;
    DLGaddset dialog(seams_, this);
    dialog.setName = toQ(proposeSetName(sets));
    dialog.listText = toQ(makeListDisplay(DefaultCharList));
    for (;;) {
        if (seams_.runModal(dialog) != QDialog::Accepted) {
            fillSetCombo();
            return;
        }
        const AddSetResult added = appendSet(sets, fromQ(dialog.setName), fromQ(dialog.listText));
        if (added == AddSetResult::Added)
            break;
        if (added != AddSetResult::NameTaken) {
            fillSetCombo();
            return;
        }
        seams_.warning(this, tr("同一名がすでに存在します"));
    }
    fillSetCombo();
    refreshCurrentList();
}

void CVeldraDlg::onDeleteSet()
{
    if (!deleteCurrentSet(model_.sets)) {
        seams_.warning(this, tr("default は 削除できません"));
        return;
    }
    fillSetCombo();
    refreshCurrentList();
}
