#include "imaging/qt/image_settings_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "imaging/qt/up_down_buttons.h"

namespace sorae {

QPoint CentredTopLeft(const QRect& outer, const QSize& inner) {
    return QPoint(outer.left() + outer.width() / 2 - inner.width() / 2,
                  outer.top() + outer.height() / 2 - inner.height() / 2);
}

ImageSettingsDialog::ImageSettingsDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName("TForm5");
    setWindowTitle("画像設定");
    setModal(false);

    auto* outer = new QVBoxLayout(this);
    auto* group = new QGroupBox("受信終了時の画像処理設定", this);
    group->setObjectName("GroupBox1");
    outer->addWidget(group);
    auto* layout = new QVBoxLayout(group);

    saveFiles_ = new QCheckBox("画像ファイルを作成して保存する", group);
    saveFiles_->setObjectName("CheckBox1");
    saveFiles_->setChecked(settings_.picSave);
    layout->addWidget(saveFiles_);

    auto* linesGroup = new QGroupBox("画像化に必要な最低ライン数", group);
    linesGroup->setObjectName("GroupBox2");
    auto* linesLayout = new QHBoxLayout(linesGroup);
    minLinesLabel_ = new QLabel(linesGroup);
    minLinesLabel_->setObjectName("Label1");
    minLinesLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    minLinesLabel_->setMinimumWidth(40);
    minLines_ = new UpDownButtons(0, 2400, settings_.minScanLine, linesGroup);
    minLines_->setObjectName("UpDown1");
    minLinesLabel_->setNum(minLines_->position());
    auto* unit = new QLabel("行", linesGroup);
    unit->setObjectName("Label2");
    linesLayout->addWidget(minLinesLabel_);
    linesLayout->addWidget(minLines_);
    linesLayout->addWidget(unit);
    linesLayout->addStretch();
    layout->addWidget(linesGroup);

    auto* rangeGroup = new QGroupBox("画像作成範囲", group);
    rangeGroup->setObjectName("GroupBox3");
    auto* rangeLayout = new QVBoxLayout(rangeGroup);
    wholePass_ = new QRadioButton("受信した画像全て", rangeGroup);
    wholePass_->setObjectName("RadioButton1");
    syncedSpan_ = new QRadioButton("同期が成功した範囲のみ", rangeGroup);
    syncedSpan_->setObjectName("RadioButton2");
    (settings_.picCut ? syncedSpan_ : wholePass_)->setChecked(true);
    rangeLayout->addWidget(wholePass_);
    rangeLayout->addWidget(syncedSpan_);
    layout->addWidget(rangeGroup);

    auto* titleGroup = new QGroupBox("画像タイトル埋め込みの有無", group);
    titleGroup->setObjectName("GroupBox4");
    auto* titleLayout = new QHBoxLayout(titleGroup);
    titleOn_ = new QRadioButton("有り", titleGroup);
    titleOn_->setObjectName("RadioButton3");
    titleOff_ = new QRadioButton("無し", titleGroup);
    titleOff_->setObjectName("RadioButton4");
    (settings_.addText ? titleOn_ : titleOff_)->setChecked(true);
    titleLayout->addWidget(titleOn_);
    titleLayout->addWidget(titleOff_);
    titleLayout->addStretch();
    layout->addWidget(titleGroup);

    // The received sound, kept beside the pictures so a pass can be decoded again.
    saveAudio_ = new QCheckBox("受信音声をFLACファイルで保存する", group);
    saveAudio_->setObjectName("CheckBox2");
    saveAudio_->setChecked(settings_.saveAudio);
    layout->addWidget(saveAudio_);

    // Each channel also laid on a latitude/longitude grid (GeoTIFF), for
    // passes whose satellite and time are known.
    saveGeoTiff_ = new QCheckBox("地図投影画像を保存", group);
    saveGeoTiff_->setObjectName("GeoTiffCheckBox");
    saveGeoTiff_->setChecked(settings_.saveGeoTiff);
    layout->addWidget(saveGeoTiff_);

    connect(saveGeoTiff_, &QCheckBox::clicked, this,
            [this] { settings_.saveGeoTiff = saveGeoTiff_->isChecked(); });
    // Temperatures and colour products, for live, replayed and decoded passes.
    auto* productsGroup = new QGroupBox("温度・カラー画像", this);
    productsGroup->setObjectName("ProductsGroup");
    outer->addWidget(productsGroup);
    auto* productsLayout = new QVBoxLayout(productsGroup);
    auto product = [&](QCheckBox*& box, const char* caption, const char* name, bool& setting) {
        box = new QCheckBox(QString::fromUtf8(caption), productsGroup);
        box->setObjectName(name);
        box->setChecked(setting);
        productsLayout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, [box, &setting] { setting = box->isChecked(); });
    };
    product(productTemperature_, "輝度温度 (TIFF, K)", "ProductTemperature", settings_.productTemperature);
    product(productThermal_, "温度カラー画像 (凡例付き)", "ProductThermal", settings_.productThermal);
    product(productFalseColour_, "昼間フォールスカラー", "ProductFalseColour", settings_.productFalseColour);
    product(productCloudTop_, "雲頂温度強調", "ProductCloudTop", settings_.productCloudTop);
    product(productMapColour_, "地図着色赤外画像", "ProductMapColour", settings_.productMapColour);

    // Coastlines, borders and a latitude/longitude grid drawn onto the
    // pictures of a pass whose place on Earth is known.
    mapOverlay_ = new QCheckBox("地図を重ねる", group);
    mapOverlay_->setObjectName("CheckBox3");
    mapOverlay_->setChecked(settings_.mapOverlay);
    layout->addWidget(mapOverlay_);

    connect(saveFiles_, &QCheckBox::clicked, this,
            [this] { settings_.picSave = saveFiles_->isChecked(); });
    connect(saveAudio_, &QCheckBox::clicked, this,
            [this] { settings_.saveAudio = saveAudio_->isChecked(); });
    connect(mapOverlay_, &QCheckBox::clicked, this,
            [this] { settings_.mapOverlay = mapOverlay_->isChecked(); });
    connect(minLines_, &UpDownButtons::positionChanged, this, [this](int position) {
        settings_.minScanLine = position;
        minLinesLabel_->setNum(position);
    });
    connect(wholePass_, &QRadioButton::clicked, this, [this] { settings_.picCut = false; });
    connect(syncedSpan_, &QRadioButton::clicked, this, [this] { settings_.picCut = true; });
    connect(titleOn_, &QRadioButton::clicked, this, [this] { settings_.addText = true; });
    connect(titleOff_, &QRadioButton::clicked, this, [this] { settings_.addText = false; });
}

void ImageSettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr)
        move(CentredTopLeft(main->frameGeometry(), frameGeometry().size()));
}

}  // namespace sorae
