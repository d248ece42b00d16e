#include "structure/TForm_7.h"

#include "structure/StructureEditorHost.h"

namespace structure {

std::function<void(TForm_7&)>& TForm_7::shownHook() {
    static std::function<void(TForm_7&)> hook;
    return hook;
}

TForm_7::TForm_7(StructureEditorHost& host, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), host_(host) {
    setObjectName(QStringLiteral("Form_7"));
    setWindowTitle(caption());
    setFixedSize(832, 518);
    setModal(true);
}

void TForm_7::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (parentWidget()) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center() - rect().center());
    }
    if (auto& hook = shownHook()) hook(*this);
}

void TForm_7::done(int result) {
    if (!closing_) {
        closing_ = true;
        FormClose();
    }
    QDialog::done(result);
}

void TForm_7::FormClose() {
    // The cascade is the only one that opens the editor, and it always sets the flag
    // first; the group step is for an editor opened some other way.
    if (host_.editorOpenedForMissingRule()) {
        host_.clearAndDisableSheetForm();
    } else {
        host_.rerunGroupStep();
    }
}

}  // namespace structure
