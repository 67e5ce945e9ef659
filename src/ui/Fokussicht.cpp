#include "ui/Fokussicht.h"

#include <QApplication>
#include <QScrollArea>

namespace qb {

void Fokussicht::folge(QScrollArea* flaeche) {
    auto* anwendung = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (anwendung == nullptr) {
        return;
    }
    QObject::connect(anwendung, &QApplication::focusChanged, flaeche,
                     [flaeche](QWidget* vorher, QWidget* jetzt) {
                         // Without a focus before, the window has just come back to the front: the page stays
                         // where the user left it.
                         if (vorher == nullptr || jetzt == nullptr || flaeche->widget() == nullptr ||
                             !flaeche->widget()->isAncestorOf(jetzt)) {
                             return;
                         }
                         flaeche->ensureWidgetVisible(jetzt);
                     });
}

} // namespace qb
