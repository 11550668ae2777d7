#include "Title.h"

#include "i18n/LanguageTable.h"
#include "i18n/Localiser.h"
#include "image/DvCodec.h"
#include "image/TargetPath.h"
#include "platform/Paths.h"
#include "platform/Ticks.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#ifndef VANTREL_BUILD_NUMBER
#define VANTREL_BUILD_NUMBER 0
#endif

namespace vantrel {

TfrmTitle* frmTitle = nullptr;

namespace {

constexpr QSize pictureSize(430, 210);
constexpr int codecTimerMs = 55;
constexpr int splashMs = 4000;
constexpr int copyrightTop = 182;
constexpr int makerTopJapanese = 184;

QFont arial(int pixels, bool bold = false)
{
    QFont font("Arial");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font,
                  const QColor& colour, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

QString TfrmTitle::pictureFileFor(bool japanese)
{
    return QString::fromStdString(runtimeFile(japanese ? "wyb_j.dat" : "wyb_e.dat"));
}

QString TfrmTitle::revisionText(int buildNumber)
{
    return QString("Rev.%1").arg(static_cast<int>(static_cast<int8_t>(buildNumber & 0xFF)));
}

TfrmTitle::TfrmTitle(QWidget* parent, PathPrompts* messages)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      messages_(messages)
{
    setObjectName("frmTitle");
    setWindowTitle(textForKey("TI_MAIN"));
    createControls();
    FormCreate();
}

void TfrmTitle::createControls()
{
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setScaledContents(true);
    Image1->setGeometry(QRect(QPoint(0, 0), pictureSize));
    Image1->installEventFilter(this);

    const QFont small = arial(11);
    lblVer = makeLabel(this, "lblVer", "3.0", arial(29), Qt::white, {352, 12});
    lblInfo = makeLabel(this, "lblInfo", "Beta Version", arial(19, true), Qt::red, {16, 150});
    lblInfo->hide();
    lblCpyRt = makeLabel(this, "lblCpyRt", "(C) The Vantrel developers", small,
                         Qt::black, {16, copyrightTop});
    lblComp = makeLabel(this, "lblComp", "Free software for DV camcorders", small, Qt::black,
                        {0, copyrightTop});
    for (QLabel* label : {lblVer, lblCpyRt, lblComp})
        label->setAttribute(Qt::WA_TransparentForMouseEvents);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->move(0, pictureSize.height()); // below the picture: out of sight in the splash
    lblVerNum = makeLabel(Panel1, "lblVerNum", "Rev.0000", arial(12), palette().color(QPalette::WindowText),
                          {12, 17});
    btnOk = new QPushButton("OK", Panel1);
    btnOk->setObjectName("btnOk");
    btnOk->setFont(arial(13));
    btnOk->resize(75, 25);
    btnOk->setAutoDefault(false);
    connect(btnOk, &QPushButton::clicked, this, &TfrmTitle::btnOkClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    Timer1->setInterval(codecTimerMs);
    connect(Timer1, &QTimer::timeout, this, &TfrmTitle::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setSingleShot(true);
    Timer2->setInterval(splashMs);
    connect(Timer2, &QTimer::timeout, this, &TfrmTitle::Timer2Timer);
}

void TfrmTitle::FormCreate()
{
    const bool japanese = languageTable().isJapanese();
    lblComp->move(lblComp->x(), japanese ? makerTopJapanese : copyrightTop);
    // Without its picture the window is still the splash, the codec still loads, and the
    // About box still shows the revision in the user's language.
    const QString source = pictureFileFor(japanese);
    if (!loadPicture(source))
        tellPictureMissing(source);
    localise(languageTable(), this);
    splashMode_ = true;
    lblVerNum->setText(revisionText(VANTREL_BUILD_NUMBER));
    for (QLabel* label : {lblInfo, lblCpyRt, lblComp, lblVerNum})
        label->adjustSize(); // the language's texts differ in length
}

// The picture is read through a temporary copy, which is removed again at once.
bool TfrmTitle::loadPicture(const QString& source)
{
    const QString splash = QString::fromStdString(programFile("splash.bmp"));
    QFile::remove(splash);
    if (!QFile::copy(source, splash))
        return false;
    QApplication::processEvents();
    const QPixmap picture(splash, "BMP");
    QFile::remove(splash);
    if (picture.isNull())
        return false;
    Image1->setPixmap(picture);
    Image1->resize(picture.size());
    return true;
}

void TfrmTitle::tellPictureMissing(const QString& source)
{
    const QString text = textForKey("MSG_NOTITLE") + "\n" + source;
    if (messages_)
        messages_->warn("MSG_NOTITLE", textForKey("TI_MAIN"), text);
    else
        QMessageBox::warning(nullptr, textForKey("TI_MAIN"), text);
}

void TfrmTitle::showEvent(QShowEvent* event)
{
    const QSize picture = Image1->size();
    if (splashMode_) {
        Timer1->start();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        setFixedSize(picture);
        Panel1->move(0, picture.height());
        splashMode_ = false;
    } else {
        const int clientHeight = picture.height() + btnOk->height() + 26;
        setFixedSize(picture.width(), clientHeight);
        Panel1->setGeometry(0, picture.height(), picture.width(), clientHeight - picture.height());
        btnOk->setGeometry((picture.width() - btnOk->width()) / 2, 13, btnOk->width(), 25);
        btnOk->setFocus();
    }
    lblComp->move(lblCpyRt->x() + lblCpyRt->width() + 8, lblComp->y());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TfrmTitle::Timer1Timer()
{
    Timer2->start();
    DvcLoad();
    if (!Timer2->isActive())
        endSplash();
}

void TfrmTitle::Timer2Timer()
{
    endSplash();
}

void TfrmTitle::endSplash()
{
    Timer2->stop();
    QApplication::restoreOverrideCursor();
    done(QDialog::Accepted);
}

bool TfrmTitle::mayClose() const
{
    return !Timer1->isActive() && !Timer2->isActive() && !splashMode_;
}

void TfrmTitle::btnOkClick()
{
    if (mayClose())
        done(QDialog::Accepted);
}

bool TfrmTitle::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease) {
        btnOkClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// Escape and the window manager's close come here: only the About box gives way.
void TfrmTitle::reject()
{
    btnOkClick();
}

} // namespace vantrel
