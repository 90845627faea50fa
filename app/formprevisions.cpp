#include "formprevisions.h"

#include "places.h"
#include "common/error.h"
#include "weather/forecast.h"
#include "weather/namevaluelist.h"
#include "weather/translation.h"

#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace meteo {
namespace {

struct Column {
    const char *name;
    int x, width;
    const char *spoken;  // what a screen reader says the column is
};
constexpr Column kColumns[] = {{"Jour", 12, 130, "Jour"},         {"IconeJour", 146, 40, "Ciel de jour"},
                               {"IconeNuit", 190, 40, "Ciel de nuit"}, {"Ciel", 240, 190, "Ciel"},
                               {"Temp", 436, 90, "Températures"},  {"Soleil", 530, 150, "Soleil"}};
constexpr int kTop = 12, kRowHeight = 42, kIcon = 40, kFooter = 28;

} // namespace

FormPrevisions::FormPrevisions(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormPrevisions"));
    setStyleSheet(QStringLiteral("QWidget#FormPrevisions { background-color: #C5DBF3; }"));
    setFixedSize(690, kTop * 2 + kRows * kRowHeight + kFooter);
    setWindowTitle(QStringLiteral("Prévisions"));
    for (int row = 1; row <= kRows; ++row)
        for (const Column &c : kColumns) {
            auto *label = new QLabel(this);
            label->setObjectName(QString::fromLatin1(c.name) + QString::number(row));
            label->setTextFormat(Qt::PlainText);  // texts from the network are never markup
            label->setGeometry(c.x, kTop + (row - 1) * kRowHeight, c.width, kIcon);
            label->setAccessibleName(QString::fromUtf8(c.spoken));
        }
    Message = new QLabel(this);
    Message->setObjectName(QStringLiteral("Message"));
    Message->setTextFormat(Qt::PlainText);
    Message->setGeometry(12, kTop, width() - 24, kIcon);
    Recues = new QLabel(this);
    Recues->setObjectName(QStringLiteral("Recues"));
    Recues->setTextFormat(Qt::PlainText);
    Recues->setGeometry(12, height() - kFooter - 4, width() - 24, kFooter);
}

void FormPrevisions::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();  // as a dialog closes
    else
        QWidget::keyPressEvent(event);
}

QLabel *FormPrevisions::cell(const char *column, int row) const
{
    return findChild<QLabel *>(QString::fromLatin1(column) + QString::number(row), Qt::FindDirectChildrenOnly);
}

void FormPrevisions::showMessage(const QString &text)
{
    for (int row = 1; row <= kRows; ++row)
        for (const Column &c : kColumns)
            cell(c.name, row)->hide();
    Message->setText(text);
    Message->show();
    Recues->clear();
}

void FormPrevisions::setIcon(QLabel *label, const QByteArray &code, const QByteArray &sky)
{
    label->clear();
    label->setAccessibleName(QString::fromUtf8(sky));
    QImage image;
    // Drawn for the screen's own pixels, so that it stays sharp at any scale.
    const double ratio = devicePixelRatioF();
    QFile file(sharpIconPath(iconPath(Places::current().programDir(), code), ratio));
    if (isSafeIconCode(code) && file.open(QIODevice::ReadOnly) && image.loadFromData(file.readAll(), "PNG")) {
        const int side = qRound(kIcon * ratio);
        image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        image.setDevicePixelRatio(ratio);
        label->setPixmap(QPixmap::fromImage(image));
    }
}

void FormPrevisions::refresh()
{
    const Places &places = Places::current();
    if (!QFile::exists(places.weatherFile())) {
        setWindowTitle(QStringLiteral("Prévisions"));
        showMessage(QStringLiteral("Aucune prévision : la météo n'a pas encore été téléchargée"));
        return;
    }
    Forecast forecast;
    try {
        NameValueList dictionary;
        dictionary.loadFromFile(places.programDir() + QStringLiteral("/Dictionnaire.ini"));
        forecast = readForecast(WeatherDocument(places.weatherFile()),
                                [&dictionary](const QByteArray &phrase) { return translate(phrase, dictionary); });
    } catch (const Error &e) {
        showMessage(QStringLiteral("Aucune prévision : ") + QString::fromUtf8(e.what()));
        return;
    }
    setWindowTitle(QStringLiteral("Prévisions — ") + QString::fromUtf8(forecast.place));
    // When it came, and plainly when that is too long ago to be today's weather (the service was
    // unreachable since).
    const QDateTime received = QFileInfo(places.weatherFile()).lastModified();
    const bool stale = isStale(received, QDateTime::currentDateTime());
    Recues->setText(QString::fromUtf8(receivedText(received)) + (stale ? QStringLiteral(" — données anciennes") : QString()));
    Recues->setStyleSheet(stale ? QStringLiteral("color: #B3261E; font-weight: bold;") : QString());
    Message->hide();
    for (int row = 1; row <= kRows; ++row) {
        const bool shown = row <= forecast.days.size();
        for (const Column &c : kColumns)
            cell(c.name, row)->setVisible(shown);
        if (!shown)
            continue;
        const ForecastDay &d = forecast.days[row - 1];
        cell("Jour", row)->setText(QString::fromUtf8(d.day));
        setIcon(cell("IconeJour", row), d.dayIcon, d.sky);
        setIcon(cell("IconeNuit", row), d.nightIcon, d.nightSky);
        cell("Ciel", row)->setText(QString::fromUtf8(d.sky));
        cell("Temp", row)->setText(QString::fromUtf8(d.temperatures));
        cell("Soleil", row)->setText(QString::fromUtf8(d.sun));
    }
}

} // namespace meteo
