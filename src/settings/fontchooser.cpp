#include "settings/fontchooser.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFontMetrics>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTranslator>

#include <algorithm>
#include <array>
#include <utility>

#include "base/profile.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/showhelp.h"
#include "kit/typefaces.h"
#include "ui_fontchooser.h"

namespace {

constexpr int kNormalWeight = 400;
constexpr int kBoldWeight = 700;
constexpr int kFirstBoldWeight = 600;
constexpr int kSampleHeight = 100; // the 60-point style of the task line fits

struct NamedColour {
    const char* name;
    QRgb rgb;
};

// The sixteen colours of the standard palette.
constexpr std::array<NamedColour, 16> kStandardColours = {{
    {"Schwarz", 0x000000},
    {"Dunkelrot", 0x800000},
    {"Grün", 0x008000},
    {"Oliv", 0x808000},
    {"Marineblau", 0x000080},
    {"Violett", 0x800080},
    {"Blaugrün", 0x008080},
    {"Grau", 0x808080},
    {"Silber", 0xC0C0C0},
    {"Rot", 0xFF0000},
    {"Hellgrün", 0x00FF00},
    {"Gelb", 0xFFFF00},
    {"Blau", 0x0000FF},
    {"Magenta", 0xFF00FF},
    {"Türkis", 0x00FFFF},
    {"Weiß", 0xFFFFFF},
}};

constexpr int kCustomRole = Qt::UserRole + 1; // marks the custom colour entry
constexpr int kAskRole = Qt::UserRole + 2;    // marks "Andere…"

QIcon swatch(const QColor& colour) {
    QPixmap pixmap(24, 14);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

// The colour dialog in German, for as long as it is open.
class ColourDialogWords : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(disambiguation)
        Q_UNUSED(n)
        static const std::array<std::pair<const char*, const char*>, 16> words = {{
            {"Hu&e:", "Farb&ton:"},
            {"&Sat:", "&Sättigung:"},
            {"&Val:", "&Helligkeit:"},
            {"&Red:", "&Rot:"},
            {"&Green:", "&Grün:"},
            {"Bl&ue:", "Bla&u:"},
            {"A&lpha channel:", "A&lphakanal:"},
            {"&HTML:", "HT&ML:"},
            {"Select Color", "Farbe wählen"},
            {"&Basic colors", "Grund&farben"},
            {"&Custom colors", "Benutzerdefinierte Farb&en"},
            {"&Add to Custom Colors", "Zu benutzerdefinierten Farben hin&zufügen"},
            {"&Pick Screen Color", "Farbe vom &Bildschirm"},
            {"Cursor at %1, %2\nPress ESC to cancel", "Zeiger bei %1, %2\nAbbrechen mit Esc"},
            {"OK", "OK"},
            {"Cancel", "Abbruch"},
        }};
        const QLatin1String where(context);
        if (where != QLatin1String("QColorDialog") && where != QLatin1String("QPlatformTheme"))
            return {};
        for (const auto& [english, german] : words)
            if (qstrcmp(sourceText, english) == 0)
                return QString::fromUtf8(german);
        return {};
    }
};

} // namespace

CFontChooser::CFontChooser(const TextStyle& start, int smallestSize, int largestSize, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CFontChooser>())
    , m_start(start) {
    m_ui->setupUi(this);
    m_ui->sample->setFixedHeight(kSampleHeight);
    m_ui->sample->setAutoFillBackground(true);
    QPalette samplePalette = m_ui->sample->palette();
    // The sample stands on the drill's blue, where the text will be read.
    samplePalette.setColor(QPalette::Window, QColor(0, 0, 255));
    m_ui->sample->setPalette(samplePalette);

    fillFamilies(start.name);
    SelectStyle(start.weight >= kFirstBoldWeight, start.italic);
    for (int size = smallestSize; size <= largestSize; ++size)
        m_ui->sizeList->addItem(QString::number(size));
    m_ui->underlineBox->setChecked(start.underline);
    m_ui->strikeOutBox->setChecked(start.strikeOut);
    fillColours();
    SelectColour(QColor(start.red, start.green, start.blue));

    connect(m_ui->familyList, &QListWidget::itemSelectionChanged, this, &CFontChooser::updateSample);
    connect(m_ui->styleList, &QListWidget::itemSelectionChanged, this, &CFontChooser::updateSample);
    connect(m_ui->sizeList, &QListWidget::itemSelectionChanged, this, &CFontChooser::updateSample);
    connect(m_ui->underlineBox, &QCheckBox::toggled, this, &CFontChooser::updateSample);
    connect(m_ui->strikeOutBox, &QCheckBox::toggled, this, &CFontChooser::updateSample);
    connect(m_ui->colourBox, &QComboBox::activated, this, &CFontChooser::onColourActivated);
    connect(m_ui->okButton, &QPushButton::clicked, this, &CFontChooser::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CFontChooser::reject);
    m_ui->familyList->setFocus();
    updateSample();
}

CFontChooser::~CFontChooser() = default;

void CFontChooser::fillFamilies(const QString& storedFamily) {
    const QString startFamily = PlainFamilyName(storedFamily);
    QStringList families = ChoosableFamilies();
    const bool installed = std::any_of(families.cbegin(), families.cend(), [&](const QString& family) {
        return QString::compare(family, startFamily, Qt::CaseInsensitive) == 0;
    });
    if (!installed)
        families << startFamily;
    std::sort(families.begin(), families.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    m_ui->familyList->addItems(families);
    SelectFamily(startFamily);
}

bool CFontChooser::SelectFamily(const QString& family) {
    for (int row = 0; row < m_ui->familyList->count(); ++row) {
        QListWidgetItem* item = m_ui->familyList->item(row);
        if (QString::compare(item->text(), family, Qt::CaseInsensitive) == 0) {
            m_ui->familyList->setCurrentItem(item);
            m_ui->familyList->scrollToItem(item, QAbstractItemView::PositionAtCenter);
            return true;
        }
    }
    return false;
}

void CFontChooser::SelectStyle(bool bold, bool italic) {
    m_ui->styleList->setCurrentRow((bold ? 1 : 0) + (italic ? 2 : 0));
}

void CFontChooser::fillColours() {
    QComboBox* box = m_ui->colourBox;
    box->setIconSize(QSize(24, 14));
    for (const NamedColour& colour : kStandardColours)
        box->addItem(swatch(QColor(colour.rgb)), QString::fromUtf8(colour.name), QColor(colour.rgb));
    box->addItem(QString::fromUtf8("Andere…"));
    box->setItemData(box->count() - 1, true, kAskRole);
}

void CFontChooser::SelectColour(const QColor& colour) {
    QComboBox* box = m_ui->colourBox;
    const QColor opaque = QColor(colour.rgb());
    for (int i = 0; i < box->count(); ++i)
        if (!box->itemData(i, kCustomRole).toBool() && box->itemData(i).value<QColor>() == opaque &&
            box->itemData(i).isValid()) {
            box->setCurrentIndex(i);
            m_colourIndex = i;
            updateSample();
            return;
        }
    int custom = box->findData(true, kCustomRole);
    const QString text =
        QStringLiteral("Eigene (%1, %2, %3)").arg(opaque.red()).arg(opaque.green()).arg(opaque.blue());
    if (custom < 0) {
        custom = box->count() - 1;
        box->insertItem(custom, swatch(opaque), text, opaque);
        box->setItemData(custom, true, kCustomRole);
    } else {
        box->setItemIcon(custom, swatch(opaque));
        box->setItemText(custom, text);
        box->setItemData(custom, opaque);
    }
    box->setCurrentIndex(custom);
    m_colourIndex = custom;
    updateSample();
}

void CFontChooser::onColourActivated(int index) {
    if (m_ui->colourBox->itemData(index, kAskRole).toBool())
        askForColour();
    else
        SelectColour(m_ui->colourBox->itemData(index).value<QColor>());
}

void CFontChooser::askForColour() {
    const QColor before = m_ui->colourBox->itemData(m_colourIndex).value<QColor>();
    ColourDialogWords words;
    QCoreApplication::installTranslator(&words);
    QColorDialog dialog(before, this);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle(QStringLiteral("Farbe"));
    const bool chosen = dialog.exec() == QDialog::Accepted;
    QCoreApplication::removeTranslator(&words);
    SelectColour(chosen ? dialog.selectedColor() : before);
}

TextStyle CFontChooser::Chosen() const {
    TextStyle style = m_start;
    if (const QListWidgetItem* family = m_ui->familyList->currentItem())
        style.name = family->text();
    const int styleRow = std::max(0, m_ui->styleList->currentRow());
    style.weight = (styleRow & 1) != 0 ? kBoldWeight : kNormalWeight;
    style.italic = (styleRow & 2) != 0;
    if (SizeChosen())
        style.height = m_ui->sizeList->selectedItems().front()->text().toInt();
    style.underline = m_ui->underlineBox->isChecked();
    style.strikeOut = m_ui->strikeOutBox->isChecked();
    const QColor colour = m_ui->colourBox->itemData(m_colourIndex).value<QColor>();
    style.red = colour.red();
    style.green = colour.green();
    style.blue = colour.blue();
    return style;
}

bool CFontChooser::SizeChosen() const {
    return !m_ui->sizeList->selectedItems().isEmpty();
}

void CFontChooser::updateSample() {
    const TextStyle style = Chosen();
    // The face the drill will draw with, also for a name not installed.
    QFont font(DrillFamily(style.name));
    font.setWeight(style.weight >= kFirstBoldWeight ? QFont::Bold : QFont::Normal);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    font.setStrikeOut(style.strikeOut);
    // The drill takes the size as the height of a line of text in pixels.
    const int height = std::max(1, style.height);
    font.setPixelSize(height);
    if (const int line = QFontMetrics(font).height(); line > 0)
        font.setPixelSize(std::max(1, height * height / line));
    m_ui->sample->setFont(font);
    QPalette palette = m_ui->sample->palette();
    palette.setColor(QPalette::WindowText, QColor(style.red, style.green, style.blue));
    m_ui->sample->setPalette(palette);
}

void CFontChooser::SetStore(Store store) {
    m_store = std::move(store);
}

void CFontChooser::accept() {
    if (m_store && !m_store(Chosen(), SizeChosen()))
        return;
    QDialog::accept();
}

bool ChooseTextStyle(CProfile& profile, const QString& section, int defaultHeight, int largestSize,
                     QWidget* parent, const FontChooserAnswer& answer) {
    const TextStyle start = ReadTextStyle(profile, section, defaultHeight);
    CFontChooser chooser(start, defaultHeight, largestSize, parent);
    AddHelpKey(&chooser,
               Help::forCommand(section == BigFontSection().section ? Cmd::BigFont : Cmd::SmallFont));
    chooser.SetStore([&](const TextStyle& chosen, bool sizeChosen) {
        if (WriteTextStyle(profile, section, chosen, sizeChosen))
            return true;
        ReportNotStored(&chooser, profile.WriteError());
        return false;
    });
    const int result = answer ? answer(chooser) : chooser.exec();
    return result == QDialog::Accepted;
}
