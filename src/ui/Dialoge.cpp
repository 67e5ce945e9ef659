#include "ui/Dialoge.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace qb {

QMessageBox* neueMeldung(QWidget* eltern, const QString& titel, const QString& meldung, const QString& objektname) {
    auto* box = new QMessageBox(eltern);
    box->setObjectName(objektname);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::NoIcon);
    box->setWindowTitle(QStringLiteral("Quinzelbrockat"));
    // Assistive technology names a window by its title bar; the question is what names this one.
    box->setAccessibleName(titel);
    box->setTextFormat(Qt::PlainText);
    box->setText(titel);
    box->setInformativeText(meldung);
    // setTextFormat reaches only the title's label; the message gets its own.
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        label->setTextFormat(Qt::PlainText);
    }
    return box;
}

QMessageBox* zeigeMeldung(QWidget* eltern, const QString& titel, const QString& meldung, const QString& objektname) {
    QMessageBox* box = neueMeldung(eltern, titel, meldung, objektname);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    box->setDefaultButton(ok);
    box->open();
    return box;
}

} // namespace qb
