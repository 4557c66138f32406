#include "orbit/qt/orbit_settings_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QPalette>

#include "common/qt/dialog_placement.h"
#include "common/qt/up_down_buttons.h"
#include "orbit/station_presets.h"
#include "orbit/qt/colour_panel.h"

namespace sorae {

namespace {
const char* kSatelliteNames[8] = {"NOAA-11", "NOAA-12", "NOAA-14", "NOAA-15",
                                  "NOAA-16", "NOAA-17", "NOAA-18", "NOAA-19"};

QLabel* namedLabel(const QString& text, const char* name, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(name);
    return l;
}
}  // namespace

QString OrbitSettingsDialog::floatText(double v) { return QString::number(v, 'g', 15); }

OrbitSettingsDialog::OrbitSettingsDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName("TForm3");
    setWindowTitle(QStringLiteral("軌道設定"));
    ownLatitude_ = settings_.locateN;
    ownLongitude_ = settings_.locateE;

    auto* grid = new QGridLayout(this);
    grid->addWidget(buildSatelliteGroup(), 0, 0);
    grid->addWidget(buildPassGroup(), 0, 1);
    grid->addWidget(buildStationGroup(), 1, 0, 1, 2);
    grid->addWidget(buildElementGroup(), 2, 0, 1, 2);
    grid->addWidget(buildMapColourGroup(), 0, 2);
    grid->addWidget(buildSatelliteColourGroup(), 1, 2, 2, 1);
    auto* about = new QVBoxLayout;
    about->addWidget(namedLabel(QStringLiteral("SORAE-APT"), "ProgramName", this));
    about->addWidget(namedLabel(QStringLiteral("version 1.0.0 build 005"), "ProgramVersion", this));
    grid->addLayout(about, 3, 0, 1, 1);
    grid->addWidget(buildMapOptionGroup(), 3, 1, 1, 2);
}

QWidget* OrbitSettingsDialog::buildMapOptionGroup() {
    auto* group = new QGroupBox(QStringLiteral("地図の追加表示"), this);
    group->setObjectName("MapOptionGroup");
    auto* layout = new QHBoxLayout(group);
    const struct {
        const char* caption;
        const char* name;
        bool AppSettings::*value;
    } options[] = {{"フットプリント", "MapFootprintBox", &AppSettings::mapFootprints},
                   {"昼夜境界", "MapTerminatorBox", &AppSettings::mapTerminator},
                   {"次回通過のAOS/LOS時刻", "MapPassTimesBox", &AppSettings::mapPassTimes}};
    for (const auto& o : options) {
        auto* box = new QCheckBox(QString::fromUtf8(o.caption), group);
        box->setObjectName(QString::fromLatin1(o.name));
        box->setChecked(settings_.*(o.value));
        const auto member = o.value;
        connect(box, &QCheckBox::clicked, this, [this, member](bool on) {
            settings_.*member = on;
            emit mapOptionsChanged();
        });
        layout->addWidget(box);
    }
    return group;
}

QWidget* OrbitSettingsDialog::buildSatelliteGroup() {
    auto* group = new QGroupBox(QStringLiteral("衛星選択"), this);
    group->setObjectName("GroupBox1");
    auto* layout = new QVBoxLayout(group);
    for (int i = 0; i < 8; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(kSatelliteNames[i]), group);
        box->setObjectName(QString("CheckBox%1").arg(i + 1));
        box->setChecked(settings_.recvSat[i]);
        connect(box, &QCheckBox::clicked, this, [this, i](bool on) {
            settings_.recvSat[i] = on;
            passMark_ = true;
        });
        satelliteBoxes_[i] = box;
        layout->addWidget(box);
    }
    return group;
}

QWidget* OrbitSettingsDialog::buildPassGroup() {
    auto* group = new QGroupBox(QStringLiteral("衛星通過設定"), this);
    group->setObjectName("GroupBox2");
    auto* layout = new QGridLayout(group);
    maxElevUpDown_ = new UpDownButtons(0, 900, int(settings_.maxElev * 10), group);
    maxElevUpDown_->setObjectName("UpDown1");
    minElevUpDown_ = new UpDownButtons(0, 900, int(settings_.minElev * 10), group);
    minElevUpDown_->setObjectName("UpDown2");
    maxElevUpDown_->setAutoRepeat(false);
    minElevUpDown_->setAutoRepeat(false);
    maxElevLabel_ = namedLabel(QString(), "Label7", group);
    minElevLabel_ = namedLabel(QString(), "Label10", group);
    layout->addWidget(new QLabel(QStringLiteral("通過判別最低仰角"), group), 0, 0);
    layout->addWidget(maxElevLabel_, 0, 1);
    layout->addWidget(maxElevUpDown_, 0, 2);
    layout->addWidget(new QLabel(QStringLiteral("受信最低仰角"), group), 1, 0);
    layout->addWidget(minElevLabel_, 1, 1);
    layout->addWidget(minElevUpDown_, 1, 2);

    connect(maxElevUpDown_, &UpDownButtons::clicked, this, [this] {
        if (maxElevUpDown_->position() < minElevUpDown_->position()) {
            // never below the reception elevation: step back, change nothing
            maxElevUpDown_->setPosition(minElevUpDown_->position());
            updateElevationLabels();
            return;
        }
        settings_.maxElev = maxElevUpDown_->position() * 0.1;
        passMark_ = true;
        updateElevationLabels();
    });
    connect(minElevUpDown_, &UpDownButtons::clicked, this, [this] {
        settings_.minElev = minElevUpDown_->position() * 0.1;
        passMark_ = true;
        updateElevationLabels();
    });

    auto* sortElev = new QCheckBox(QStringLiteral("パスが重なった場合は最大仰角を優先"), group);
    sortElev->setObjectName("CheckBox10");
    sortElev->setChecked(settings_.sortElev);
    connect(sortElev, &QCheckBox::clicked, this, [this](bool on) {
        settings_.sortElev = on;
        passMark_ = true;
    });
    auto* sortNext = new QCheckBox(QStringLiteral("重なったパスの衛星は受信しない"), group);
    sortNext->setObjectName("CheckBox11");
    sortNext->setChecked(settings_.sortNext);
    connect(sortNext, &QCheckBox::clicked, this, [this](bool on) {
        settings_.sortNext = on;
        passMark_ = true;
    });
    layout->addWidget(sortElev, 2, 0, 1, 3);
    layout->addWidget(sortNext, 3, 0, 1, 3);
    auto* passList = new QPushButton(QStringLiteral("通過一覧"), group);
    passList->setObjectName("Button2");
    connect(passList, &QPushButton::clicked, this, &OrbitSettingsDialog::passListRequested);
    layout->addWidget(passList, 4, 0, 1, 3);
    updateElevationLabels();
    return group;
}

void OrbitSettingsDialog::updateElevationLabels() {
    maxElevLabel_->setText(QString::asprintf("%0.1f", maxElevUpDown_->position() * 0.1) +
                           QStringLiteral("度"));
    minElevLabel_->setText(QString::asprintf("%0.1f", minElevUpDown_->position() * 0.1) +
                           QStringLiteral("度"));
}

QWidget* OrbitSettingsDialog::buildStationGroup() {
    auto* group = new QGroupBox(QStringLiteral("受信位置座標（１０進数化経緯度）"), this);
    group->setObjectName("GroupBox3");
    auto* layout = new QGridLayout(group);
    latitudeEdit_ = new QLineEdit(floatText(settings_.locateN), group);
    latitudeEdit_->setObjectName("Edit2");
    longitudeEdit_ = new QLineEdit(floatText(settings_.locateE), group);
    longitudeEdit_->setObjectName("Edit3");
    presetBox_ = new QComboBox(group);
    presetBox_->setObjectName("ComboBox1");
    for (const auto& p : stationPresetTable()) presetBox_->addItem(QString::fromUtf8(p.name));
    const int preset = std::clamp(settings_.preset, 0, kStationPresetCount - 1);
    presetBox_->setCurrentIndex(preset);
    latitudeEdit_->setEnabled(preset == 0);
    longitudeEdit_->setEnabled(preset == 0);
    layout->addWidget(new QLabel(QStringLiteral("緯度"), group), 0, 0);
    layout->addWidget(latitudeEdit_, 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("経度"), group), 0, 2);
    layout->addWidget(longitudeEdit_, 0, 3);
    layout->addWidget(new QLabel(QStringLiteral("プリセット"), group), 0, 4);
    layout->addWidget(presetBox_, 0, 5);
    connect(latitudeEdit_, &QLineEdit::textChanged, this, [this] { markCoordinate(latitudeEdit_, 0); });
    connect(longitudeEdit_, &QLineEdit::textChanged, this, [this] { markCoordinate(longitudeEdit_, 1); });
    connect(presetBox_, QOverload<int>::of(&QComboBox::activated), this,
            &OrbitSettingsDialog::choosePreset);
    return group;
}

void OrbitSettingsDialog::choosePreset(int index) {
    if (index < 0 || index >= kStationPresetCount) return;
    settings_.preset = index;
    const double lat = index == 0 ? ownLatitude_ : stationPresetTable()[index].latitudeDeg;
    const double lon = index == 0 ? ownLongitude_ : stationPresetTable()[index].longitudeDeg;
    latitudeEdit_->setText(floatText(lat));
    longitudeEdit_->setText(floatText(lon));
    latitudeEdit_->setEnabled(index == 0);
    longitudeEdit_->setEnabled(index == 0);
    locationMark_ = true;
}

QWidget* OrbitSettingsDialog::buildElementGroup() {
    auto* group = new QGroupBox(QStringLiteral("軌道要素（２行軌道要素形式）"), this);
    group->setObjectName("GroupBox4");
    auto* layout = new QGridLayout(group);
    addressEdit_ = new QLineEdit(QString::fromStdString(settings_.address), group);
    addressEdit_->setObjectName("Edit1");
    auto* update = new QPushButton(QStringLiteral("更新"), group);
    update->setObjectName("Button1");
    auto* autoUpdate = new QCheckBox(QStringLiteral("自動軌道要素更新"), group);
    autoUpdate->setObjectName("CheckBox9");
    autoUpdate->setChecked(settings_.autoUpdate);
    updateDayUpDown_ = new UpDownButtons(1, 60, settings_.updateDay, group);
    updateDayUpDown_->setObjectName("UpDown3");
    updateDayUpDown_->setAutoRepeat(false);
    updateDayCaption_ = new QLabel(QStringLiteral("更新経過日数"), group);
    updateDayLabel_ = namedLabel(QString::number(updateDayUpDown_->position()), "Label13", group);
    updateDayUnit_ = new QLabel(QStringLiteral("日"), group);
    layout->addWidget(new QLabel(QStringLiteral("取得インターネットアドレス"), group), 0, 0);
    layout->addWidget(addressEdit_, 0, 1, 1, 4);
    layout->addWidget(update, 0, 5);
    layout->addWidget(autoUpdate, 1, 0);
    layout->addWidget(updateDayCaption_, 1, 1);
    layout->addWidget(updateDayLabel_, 1, 2);
    layout->addWidget(updateDayUpDown_, 1, 3);
    layout->addWidget(updateDayUnit_, 1, 4);

    auto enableDays = [this](bool on) {
        for (QWidget* w : {static_cast<QWidget*>(updateDayCaption_),
                           static_cast<QWidget*>(updateDayLabel_),
                           static_cast<QWidget*>(updateDayUnit_),
                           static_cast<QWidget*>(updateDayUpDown_)})
            w->setEnabled(on);
    };
    enableDays(settings_.autoUpdate);
    connect(autoUpdate, &QCheckBox::clicked, this, [this, enableDays](bool on) {
        settings_.autoUpdate = on;
        enableDays(on);
    });
    connect(updateDayUpDown_, &UpDownButtons::clicked, this, [this] {
        settings_.updateDay = updateDayUpDown_->position();
        updateDayLabel_->setText(QString::number(settings_.updateDay));
    });
    // The address as typed is the one fetched from (and kept).
    connect(update, &QPushButton::clicked, this, [this] {
        takeAddress();
        emit updateRequested();
    });
    return group;
}

QWidget* OrbitSettingsDialog::buildMapColourGroup() {
    auto* group = new QGroupBox(QStringLiteral("地図表示色"), this);
    group->setObjectName("GroupBox5");
    auto* layout = new QGridLayout(group);
    struct Entry {
        const char* caption;
        ColourValue* value;
    };
    const Entry entries[5] = {{"背景", &settings_.mapBackColor},
                              {"陸地", &settings_.mapCoastColor},
                              {"境界線", &settings_.boundaries},
                              {"経緯度線", &settings_.grid},
                              {"経緯度値", &settings_.gridNum}};
    for (int i = 0; i < 5; ++i) {
        auto* panel = new ColourPanel(group);
        panel->setObjectName(QString("Panel%1").arg(i + 1));
        panel->setColour(*entries[i].value);
        ColourValue* target = entries[i].value;
        connect(panel, &ColourPanel::clicked, this,
                [this, panel, target] { chooseColour(panel, target, true); });
        layout->addWidget(new QLabel(QString::fromUtf8(entries[i].caption), group), i, 0);
        layout->addWidget(panel, i, 1);
    }
    return group;
}

QWidget* OrbitSettingsDialog::buildSatelliteColourGroup() {
    auto* group = new QGroupBox(QStringLiteral("衛星及び軌跡表示色"), this);
    group->setObjectName("GroupBox6");
    auto* layout = new QGridLayout(group);
    layout->addWidget(new QLabel(QStringLiteral("本体"), group), 0, 1);
    layout->addWidget(new QLabel(QStringLiteral("軌跡"), group), 0, 2);
    auto addRow = [this, group, layout](int row, const QString& caption, int markPanel,
                                        ColourValue* mark, int trackPanel, ColourValue* track) {
        layout->addWidget(new QLabel(caption, group), row, 0);
        int column = 1;
        for (auto [number, value] : {std::pair{markPanel, mark}, std::pair{trackPanel, track}}) {
            auto* panel = new ColourPanel(group);
            panel->setObjectName(QString("Panel%1").arg(number));
            panel->setColour(*value);
            ColourValue* target = value;
            connect(panel, &ColourPanel::clicked, this,
                    [this, panel, target] { chooseColour(panel, target, false); });
            layout->addWidget(panel, row, column++);
        }
    };
    addRow(1, QStringLiteral("次回通過"), 6, &settings_.satNextMark, 15, &settings_.satNextTrack);
    const QString digits = QStringLiteral("１２３４５６７８");
    for (int i = 0; i < 8; ++i)
        addRow(i + 2, QStringLiteral("衛星") + digits[i], 7 + i, &settings_.satMark[i], 16 + i,
               &settings_.satTrack[i]);
    return group;
}

void OrbitSettingsDialog::chooseColour(ColourPanel* panel, ColourValue* target,
                                       bool redrawsBaseMap) {
    auto* dialog = new QColorDialog(toQColor(*target), this);
    dialog->setObjectName("ColorDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QColorDialog::colorSelected, this, [panel, target](const QColor& c) {
        *target = fromQColor(c);
        panel->setColour(*target);
    });
    if (redrawsBaseMap)
        connect(dialog, &QDialog::finished, this, &OrbitSettingsDialog::baseMapColoursChanged);
    dialog->open();
}

std::optional<double> OrbitSettingsDialog::typedCoordinate(const QLineEdit* edit, int column) {
    bool ok = false;
    const double value = edit->text().trimmed().toDouble(&ok);
    const double limit = column == 0 ? 90.0 : 180.0;
    if (!ok || !(value >= -limit && value <= limit)) return std::nullopt;
    return value;
}

void OrbitSettingsDialog::markCoordinate(QLineEdit* edit, int column) {
    const bool bad = !typedCoordinate(edit, column);
    QPalette colours = edit->palette();
    colours.setColor(QPalette::Base, bad ? QColor(0xff, 0xd8, 0xd8) : palette().color(QPalette::Base));
    edit->setPalette(colours);
    edit->setToolTip(bad ? (column == 0 ? QStringLiteral("緯度は-90～90の数値で入力して下さい")
                                        : QStringLiteral("経度は-180～180の数値で入力して下さい"))
                         : QString());
}

bool OrbitSettingsDialog::takeCoordinate(QLineEdit* edit, double* stored, int column) {
    if (edit->text() == floatText(*stored)) return true;
    const std::optional<double> typed = typedCoordinate(edit, column);
    if (!typed) return false;  // the stored position stays; the field keeps what was typed
    const double value = *typed;
    *stored = value;
    (column == 0 ? ownLatitude_ : ownLongitude_) = value;
    locationMark_ = true;
    return true;
}

bool OrbitSettingsDialog::applyClose() {
    // A bad coordinate is refused before anything is taken over: the dialog
    // stays open with the value as typed, for the user to mend.
    const bool latOk = latitudeEdit_->text() == floatText(settings_.locateN) || typedCoordinate(latitudeEdit_, 0);
    const bool lonOk = longitudeEdit_->text() == floatText(settings_.locateE) || typedCoordinate(longitudeEdit_, 1);
    if (!latOk || !lonOk) {
        const QString message =
            QStringLiteral("受信位置座標が正しくありません\n緯度は-90～90、経度は-180～180の数値で入力して下さい");
        QLineEdit* bad = latOk ? longitudeEdit_ : latitudeEdit_;
        bad->setFocus();
        bad->selectAll();
        // The window gives the one warning (beep and box) for it.
        emit invalidCoordinate(message);
        return false;
    }
    takeCoordinate(latitudeEdit_, &settings_.locateN, 0);
    takeCoordinate(longitudeEdit_, &settings_.locateE, 1);
    if (takeAddress()) emit downloadRequested();
    if (passMark_) emit receptionListChanged();
    if (locationMark_) emit stationChanged();
    if (passMark_ || locationMark_) {
        passMark_ = false;
        locationMark_ = false;
        emit computePassesRequested();
    }
    return true;
}

bool OrbitSettingsDialog::takeAddress() {
    if (addressEdit_->text() == QString::fromStdString(settings_.address)) return false;
    settings_.address = addressEdit_->text().toStdString();
    return true;
}

void OrbitSettingsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnParentWindow(*this);
}

void OrbitSettingsDialog::done(int result) {
    // every way of closing (close box, Escape) ends here
    if (isVisible() && !applyClose()) return;  // stays open on a bad coordinate
    QDialog::done(result);
}

}  // namespace sorae
