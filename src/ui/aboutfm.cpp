#include "ui/aboutfm.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>
#include <QUrl>

#include "app/functions.h"
#include "base/builtin_texts.h"
#include "lang/language_manager.h"
#include "lang/window_texts.h"

namespace {
constexpr QSize kClientSize(235, 279);
constexpr QRect kMainPanel(8, 8, 215, 226);
constexpr QRect kLogoPanel(15, 10, 191, 96);
constexpr int kBadgeHeight = 36;
const char* const kUrlProperty = "URL";

// The picture drawn sharp at the screen's pixel ratio; the label shows it at its logical size.
QPixmap RenderSvg(const QString& resource, const QSize& size, qreal ratio) {
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

// Sizes in pixels, so the window keeps its layout whatever the screen's text size.
QFont PixelFont(const char* family, int pixels, bool bold = false) {
    QFont font{QLatin1String(family)};
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& place, const QFont& font,
                  bool wrap) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(wrap);
    return label;
}
}  // namespace

TfmAbout::TfmAbout(QWidget* owner, const QString& programFile, tLanguageManager* languages)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("fmAbout"));
    CreateComponents();
    BindTexts(languages ? *languages : LangManager());
    // The version block has the last word over whatever a translation put into these labels.
    ShowVersionBlock(programFile);
}

TfmAbout::~TfmAbout() = default;

void TfmAbout::CreateComponents() {
    setFont(PixelFont("MS Sans Serif", 11));
    setFixedSize(kClientSize);
    setModal(true);

    pnMain = new QFrame(this);
    pnMain->setObjectName(QStringLiteral("pnMain"));
    pnMain->setGeometry(kMainPanel);
    pnMain->setFrameStyle(QFrame::Box | QFrame::Sunken);

    pnLogo = new QFrame(pnMain);
    pnLogo->setObjectName(QStringLiteral("pnLogo"));
    pnLogo->setGeometry(kLogoPanel);
    pnLogo->setFrameStyle(QFrame::NoFrame);
    imLogo = new QLabel(pnLogo);
    imLogo->setObjectName(QStringLiteral("imLogo"));
    imLogo->setGeometry(QRect(QPoint(0, 0), kLogoPanel.size()));
    imLogo->setPixmap(RenderSvg(QStringLiteral(":/icons/about_logo.svg"), kLogoPanel.size(),
                                devicePixelRatioF()));

    CreateLabels();
    CreateBadge();

    bnOk = new QPushButton(this);
    bnOk->setObjectName(QStringLiteral("bnOk"));
    bnOk->setGeometry(80, 246, 75, 25);
    bnOk->setDefault(true);
    connect(bnOk, &QPushButton::clicked, this, &QDialog::accept);
}

void TfmAbout::CreateLabels() {
    lbFileName = MakeLabel(pnMain, "lbFileName", QRect(10, 114, 195, 18),
                           PixelFont("Tahoma", 13, true), false);
    lbVersion =
        MakeLabel(pnMain, "lbVersion", QRect(10, 132, 195, 17), PixelFont("Tahoma", 11), true);
    lbCopyright =
        MakeLabel(pnMain, "lbCopyright", QRect(10, 150, 195, 36), PixelFont("Tahoma", 11), true);
}

// The badge fills the bottom of the panel, inside its bevel, with its picture centred.
void TfmAbout::CreateBadge() {
    lnkPoweredBy = new QLabel(pnMain);
    lnkPoweredBy->setObjectName(QStringLiteral("lnkPoweredBy"));
    const int bevel = pnMain->frameWidth();
    lnkPoweredBy->setGeometry(bevel, kMainPanel.height() - bevel - kBadgeHeight,
                              kMainPanel.width() - 2 * bevel, kBadgeHeight);
    lnkPoweredBy->setAlignment(Qt::AlignCenter);
    lnkPoweredBy->setPixmap(RenderSvg(QStringLiteral(":/icons/powered_by_qt.svg"), QSize(112, 28),
                                      devicePixelRatioF()));
    lnkPoweredBy->setCursor(Qt::PointingHandCursor);
    lnkPoweredBy->installEventFilter(this);
}

void TfmAbout::BindTexts(tLanguageManager& languages) {
    LangController = std::make_unique<tLanguageController>(QStringLiteral("fmAbout"), &languages);
    LangController->AddTexts(AboutWindowTexts());
    LangController->Bind(1, [this](const QString& text) { setWindowTitle(text); });
    LangController->Bind(2, [this](const QString& text) { lbCopyright->setText(text); });
    LangController->Bind(3, [this](const QString& text) { lbVersion->setText(text); });
    LangController->Bind(4, [this](const QString& text) { lbFileName->setText(text); });
    LangController->Bind(5, [this](const QString& text) {
        lnkPoweredBy->setProperty(kUrlProperty, text);
        lnkPoweredBy->setToolTip(text);
    });
    LangController->Bind(6, [this](const QString& text) { bnOk->setText(text); });
    // The design's texts first, then whatever the current language has for them.
    LangController->Apply(nullptr);
    LangController->Loaded();
}

void TfmAbout::ShowVersionBlock(const QString& programFile) {
    const QString file =
        programFile.isEmpty() ? QCoreApplication::applicationFilePath() : programFile;
    lbFileName->setText(GetVersionInfoString(file, QStringLiteral("FileDescription")));
    lbCopyright->setText(GetVersionInfoString(file, QStringLiteral("LegalCopyright")));
    const QString version = GetVersionInfoString(file, QStringLiteral("FileVersion"));
    lbVersion->setText(LoadStr(5002) +
                       (version.isEmpty() ? QStringLiteral("<?>.<?>.<?>.<?>") : version));
    setWindowIcon(QIcon(QStringLiteral(":/icons/mirelvane.svg")));
}

QString TfmAbout::PoweredByUrl() const {
    return lnkPoweredBy->property(kUrlProperty).toString();
}

bool TfmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lnkPoweredBy && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && lnkPoweredBy->rect().contains(mouse->pos())) {
            QDesktopServices::openUrl(QUrl(PoweredByUrl()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
