#include "orbit/qt/manual_reception_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/qt/dialog_placement.h"

namespace sorae {

ManualReceptionDialog::ManualReceptionDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm6");
    setWindowTitle(QStringLiteral("手動受信設定"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("衛星の通過方向を選択して下さい"), this);
    label->setObjectName("Label1");
    layout->addWidget(label);
    auto* row = new QHBoxLayout;
    auto* northToSouth = new QPushButton(QStringLiteral("N>S"), this);
    northToSouth->setObjectName("Button1");
    auto* southToNorth = new QPushButton(QStringLiteral("S>N"), this);
    southToNorth->setObjectName("Button2");
    for (QPushButton* b : {northToSouth, southToNorth}) {
        b->setMinimumSize(120, 60);
        QFont f = b->font();
        f.setPointSize(f.pointSize() + 8);
        b->setFont(f);
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    layout->addLayout(row);
    connect(this, &QDialog::finished, this, [this] { emit directionChosen(choice_); });
    connect(northToSouth, &QPushButton::clicked, this, [this] {
        choice_ = kNorthToSouth;
        accept();
    });
    connect(southToNorth, &QPushButton::clicked, this, [this] {
        choice_ = kSouthToNorth;
        accept();
    });
}

void ManualReceptionDialog::showEvent(QShowEvent* event) {
    choice_ = kNoChoice;
    QDialog::showEvent(event);
    centreOnParentWindow(*this);
}

void ManualReceptionDialog::askDirection() {
    choice_ = kNoChoice;
    setWindowModality(Qt::ApplicationModal);
    open();
}

}  // namespace sorae
