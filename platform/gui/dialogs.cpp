#include "platform/gui/dialogs.h"

#include <QColorDialog>
#include <QMessageBox>
#include <QString>

namespace platform {

namespace {

class QtDialogs final : public Dialogs {
public:
    int messageBox(QWidget* owner, const std::string& text, const std::string& caption) override {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok, owner);
        box.exec();
        return IDOK;
    }

    std::optional<Color> chooseColor(QWidget* owner, Color initial,
                                     std::array<Color, 16>& customColors) override {
        for (int i = 0; i < 16; ++i) {
            QColorDialog::setCustomColor(i, ToQColor(customColors[static_cast<size_t>(i)]));
        }
        QColorDialog dialog(ToQColor(initial), owner);
        // Qt's own dialog always shows its custom colours, like a fully opened chooser.
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        const bool accepted = dialog.exec() == QDialog::Accepted;
        for (int i = 0; i < 16; ++i) {
            customColors[static_cast<size_t>(i)] = FromQColor(QColorDialog::customColor(i));
        }
        if (!accepted || !dialog.selectedColor().isValid()) {
            return std::nullopt;
        }
        return FromQColor(dialog.selectedColor());
    }
};

Dialogs* installed = nullptr;

}  // namespace

Dialogs& dialogs() {
    static QtDialogs qtDialogs;
    return installed != nullptr ? *installed : qtDialogs;
}

void setDialogs(Dialogs* d) {
    installed = d;
}

}  // namespace platform
