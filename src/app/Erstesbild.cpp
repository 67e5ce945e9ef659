#include "app/Erstesbild.h"

#include <cstdio>
#include <ctime>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace qb {

namespace {

class Bildwaechter : public QObject {
public:
    Bildwaechter(QWidget& fenster, std::function<std::string()> inhalt)
        : QObject(&fenster), fenster_(&fenster), inhalt_(std::move(inhalt)) {}

    bool eventFilter(QObject* objekt, QEvent* ereignis) override {
        if (!gemeldet_ && ereignis->type() == QEvent::Paint && objekt->isWidgetType() &&
            static_cast<QWidget*>(objekt)->window() == fenster_) {
            gemeldet_ = true;
            // Queued: the paint events of the whole frame run in one go, and the frame is on
            // screen when control is back in the event loop.
            QMetaObject::invokeMethod(this, &Bildwaechter::melde, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void melde() {
        timespec jetzt{};
        clock_gettime(CLOCK_MONOTONIC, &jetzt);
        const QSize groesse = fenster_ != nullptr ? fenster_->size() : QSize();
        std::printf("%lld %s %dx%d\n", static_cast<long long>(jetzt.tv_sec) * 1000000000LL + jetzt.tv_nsec,
                    inhalt_().c_str(), groesse.width(), groesse.height());
        std::fflush(stdout);
        QCoreApplication::exit(0);
    }

    QPointer<QWidget> fenster_;
    std::function<std::string()> inhalt_;
    bool gemeldet_ = false;
};

} // namespace

void meldeErstesBild(QWidget& fenster, std::function<std::string()> inhalt) {
    QCoreApplication::instance()->installEventFilter(new Bildwaechter(fenster, std::move(inhalt)));
}

} // namespace qb
