#include "SplashWindow.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The maker's mark: a blue disc crossed by three hops of a radio wave.
QPixmap makerLogo() {
    QPixmap logo(96, 96);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0, 51, 153));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(4, 4, 88, 88);
    painter.setPen(QPen(Qt::white, 5));
    painter.drawLine(20, 60, 36, 30);
    painter.drawLine(36, 30, 52, 66);
    painter.drawLine(52, 66, 76, 28);
    return logo;
}

// The logo and the lines of the product's name, release, date and maker.
QList<QLabel*> addCredits(QWidget* owner, QVBoxLayout* layout) {
    auto* logo = new QLabel(owner);
    logo->setObjectName("imgLogo");
    logo->setPixmap(makerLogo());
    logo->setAlignment(Qt::AlignCenter);
    layout->addWidget(logo);
    QList<QLabel*> credits{logo};
    const struct {
        const char* name;
        const char* text;
        int points;
    } lines[] = {{"lblProductName", "Ardentix", 26},
                 {"lblProduct", "Configuration Software", 14},
                 {"lblVersion", "Version 2.3.3", 10},
                 {"lblDate", "11/01/04", 10},
                 {"lblCompany", "Quenlar", 10}};
    for (const auto& line : lines) {
        auto* label = new QLabel(line.text, owner);
        label->setObjectName(line.name);
        label->setAlignment(Qt::AlignCenter);
        QFont font = label->font();
        font.setPointSize(line.points);
        font.setBold(line.points > 10);
        label->setFont(font);
        layout->addWidget(label);
        credits << label;
    }
    return credits;
}

} // namespace

SplashWindow::SplashWindow(Use, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmSplash");
    setWindowTitle("Quenlar Ardentix Configuration");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 24);
    for (QLabel* label : addCredits(this, layout))
        label->installEventFilter(this);
    setStyleSheet("QDialog { background: white; border: 2px solid #003399; }");
    timer_ = new QTimer(this);
    timer_->setInterval(2000);
    connect(timer_, &QTimer::timeout, this, &SplashWindow::onTick);
    timer_->start();
}

void SplashWindow::onTick() {
    if (count_ == Limit) {
        timer_->stop();
        accept();
        return;
    }
    ++count_;
}

void SplashWindow::mousePressEvent(QMouseEvent*) {
    accept();
}

void SplashWindow::keyPressEvent(QKeyEvent*) {
    accept();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About Quenlar Ardentix Configuration");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 16);
    addCredits(this, layout);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName("AboutButtons");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}
