#include "about/uAbout.h"

#include "about/LinkLabel.h"
#include "about/ProductInfo.h"
#include "about/ProgramDate.h"
#include "about/UrlOpener.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

QFont pixelFont(const QString& family, QFont::StyleHint hint, int pixels) {
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    return font;
}

QFont serif(int pixels) {
    return pixelFont(QStringLiteral("Times New Roman"), QFont::Serif, pixels);
}

QFont sansSerif(int pixels) {
    return pixelFont(QStringLiteral("MS Sans Serif"), QFont::SansSerif, pixels);
}

QLabel* label(QLabel* widget, const char* name, const QFont& font, const QPoint& at) {
    widget->setObjectName(QLatin1String(name));
    widget->setFont(font);
    widget->move(at);
    widget->adjustSize();
    return widget;
}

}  // namespace

TfAbout::TfAbout(QWidget* parent, const QString& programFile) : QDialog(parent) {
    setObjectName(QStringLiteral("fAbout"));
    setWindowTitle(QStringLiteral("О программе..."));
    setFixedSize(324, 192);

    QFont versionFont = serif(27);
    versionFont.setBold(true);
    QLabel* version =
        label(new QLabel(QStringLiteral("Rowcart  v1.5"), this), "lVersion", versionFont, {8, 8});
    QPalette red = version->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    version->setPalette(red);

    QFont italic = serif(13);
    italic.setItalic(true);
    label(new QLabel(QStringLiteral("Предназначение утилиты:"), this), "lPurposeTitle", italic,
          {8, 40});
    QLabel* purpose =
        label(new QLabel(QStringLiteral("Перекачка строк данных таблицы из указанной базы данных "
                                        "в другую таблицу другой базы данных."),
                         this),
              "lPurpose", italic, {16, 61});
    purpose->setWordWrap(true);
    purpose->resize(297, 52);
    purpose->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    label(new QLabel(ProductInfo::MakerCredit, this), "lCredit", sansSerif(13), {8, 120});
    lDate = label(new QLabel(QStringLiteral("Дата"), this), "lDate", sansSerif(13), {152, 120});

    auto* mail = new LinkLabel(QStringLiteral("E-mail: ") + ProductInfo::MakerMail, this);
    mail->setObjectName(QStringLiteral("lMail"));
    mail->move(16, 144);
    mail->adjustSize();
    auto* web = new LinkLabel(ProductInfo::WebAddress, this);
    web->setObjectName(QStringLiteral("lWeb"));
    web->move(16, 163);
    web->adjustSize();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("bOK"));
    ok->setGeometry(232, 144, 75, 33);
    ok->setCursor(Qt::PointingHandCursor);
    ok->setDefault(true);
    ok->setFocus();

    connect(mail, &LinkLabel::clicked, this, &TfAbout::lMailClick);
    connect(web, &LinkLabel::clicked, this, &TfAbout::lWebClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    const QString file =
        programFile.isEmpty() ? QCoreApplication::applicationFilePath() : programFile;
    lDate->setText(ProgramDate::fileDateText(file));
    lDate->adjustSize();
}

QString TfAbout::mailLink() {
    return QStringLiteral("mailto:") + ProductInfo::MakerDisplayName + QLatin1Char('<') +
           ProductInfo::MakerMail + QLatin1Char('>') + QStringLiteral("?SUBJECT=Rowcart");
}

void TfAbout::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
}

void TfAbout::lMailClick() {
    OpenUrl(QUrl(mailLink(), QUrl::TolerantMode));
}

void TfAbout::lWebClick() {
    OpenUrl(QUrl(ProductInfo::WebAddress, QUrl::TolerantMode));
}
