#include "ui/Dialoge.h"

#include <algorithm>
#include <vector>

#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>

#include "ui/Fenstergroesse.h"

namespace qb {

namespace {

// The message of an alert, in a scrolled part no higher than `kappe`. It asks the alert's layout
// for the width and the height the message label alone would, so the alert keeps its shape as
// long as it fits the screen.
class Meldungsrolle : public QScrollArea {
public:
    Meldungsrolle(QLabel* text, QWidget* eltern) : QScrollArea(eltern), text_(text) {
        setObjectName(QStringLiteral("meldungsrolle"));
        setFrameShape(QFrame::NoFrame);
        setFocusPolicy(Qt::NoFocus);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWidgetResizable(true);
        QSizePolicy art(QSizePolicy::Minimum, QSizePolicy::Preferred);
        art.setHeightForWidth(true);
        setSizePolicy(art);
        setWidget(text);
    }

    void begrenze(int kappe) {
        if (kappe != kappe_) {
            kappe_ = kappe;
            updateGeometry();
        }
    }
    bool begrenzt() const { return kappe_ < QWIDGETSIZE_MAX; }

    QSize sizeHint() const override {
        const QSize text = text_->sizeHint();
        return {text.width() + balken(), std::min(text.height(), kappe_)};
    }
    QSize minimumSizeHint() const override {
        const QSize text = text_->minimumSizeHint();
        return {text.width() + balken(), std::min(text.height(), kappe_)};
    }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int breite) const override {
        return std::min(text_->heightForWidth(breite - balken()), kappe_);
    }

private:
    // Room for the scroll bar once the message scrolls.
    int balken() const { return begrenzt() ? verticalScrollBar()->sizeHint().width() : 0; }

    QLabel* text_;
    int kappe_ = QWIDGETSIZE_MAX;
};

// An alert that fits its screen: a message taller than the screen allows scrolls between the
// title and the buttons, which stay in view; the arrow and page keys scroll it.
class Meldung : public QMessageBox {
public:
    explicit Meldung(QWidget* eltern) : QMessageBox(eltern) {}

    void passeAn(QSize verfuegbar) {
        verfuegbar_ = verfuegbar;
        passeHoeheAn();
    }

protected:
    void showEvent(QShowEvent* ereignis) override {
        if (verfuegbar_.isEmpty()) {
            verfuegbar_ = Fenstergroesse::verfuegbar(*this);
        }
        rolleEin();
        QMessageBox::showEvent(ereignis);
        passeHoeheAn();
    }

    bool event(QEvent* ereignis) override {
        const bool behandelt = QMessageBox::event(ereignis);
        if (ereignis->type() == QEvent::LayoutRequest) {
            passeHoeheAn();
        }
        return behandelt;
    }

    void keyPressEvent(QKeyEvent* ereignis) override {
        QScrollBar* leiste = rolle_ != nullptr ? rolle_->verticalScrollBar() : nullptr;
        if (leiste != nullptr && leiste->maximum() > 0) {
            const std::pair<int, QAbstractSlider::SliderAction> tasten[] = {
                {Qt::Key_Up, QAbstractSlider::SliderSingleStepSub},
                {Qt::Key_Down, QAbstractSlider::SliderSingleStepAdd},
                {Qt::Key_PageUp, QAbstractSlider::SliderPageStepSub},
                {Qt::Key_PageDown, QAbstractSlider::SliderPageStepAdd},
            };
            for (const auto& [taste, schritt] : tasten) {
                if (ereignis->key() == taste) {
                    leiste->triggerAction(schritt);
                    return;
                }
            }
        }
        QMessageBox::keyPressEvent(ereignis);
    }

private:
    // Puts the message label into the scrolled part, in the place the alert's layout gave it.
    void rolleEin() {
        auto* text = findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
        auto* raster = qobject_cast<QGridLayout*>(layout());
        if (text == nullptr || raster == nullptr || (rolle_ != nullptr && rolle_->widget() == text)) {
            return;
        }
        const int stelle = raster->indexOf(text);
        if (stelle < 0) {
            return;
        }
        int zeile = 0;
        int spalte = 0;
        int zeilen = 0;
        int spalten = 0;
        raster->getItemPosition(stelle, &zeile, &spalte, &zeilen, &spalten);
        raster->removeWidget(text);
        delete rolle_;
        rolle_ = new Meldungsrolle(text, this);
        raster->addWidget(rolle_, zeile, spalte, zeilen, spalten);
        // Shown now: the alert is being shown, and it measures itself before a child added at
        // this point would show by itself.
        rolle_->show();
    }

    void passeHoeheAn() {
        if (rolle_ == nullptr || !isVisible() || verfuegbar_.isEmpty() || passt_) {
            return;
        }
        const int platz = verfuegbar_.height() - Fenstergroesse::rahmen.height();
        const int zuviel = height() - platz;
        if (zuviel <= 0) {
            return;
        }
        // A few lines of the message stay in view, whatever the screen.
        rolle_->begrenze(std::max(rolle_->height() - zuviel, 3 * fontMetrics().lineSpacing()));
        // The alert takes its new size at once, before its first frame.
        passt_ = true;
        QEvent anfrage(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(this, &anfrage);
        passt_ = false;
    }

    QSize verfuegbar_;
    Meldungsrolle* rolle_ = nullptr;
    bool passt_ = false;
};

} // namespace

QMessageBox* neueMeldung(QWidget* eltern, const QString& titel, const QString& meldung, const QString& objektname) {
    auto* box = new Meldung(eltern);
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

void passeMeldungAn(QMessageBox* box, QSize verfuegbar) {
    if (auto* meldung = dynamic_cast<Meldung*>(box)) {
        meldung->passeAn(verfuegbar);
    }
}

QMessageBox* zeigeMeldung(QWidget* eltern, const QString& titel, const QString& meldung, const QString& objektname) {
    QMessageBox* box = neueMeldung(eltern, titel, meldung, objektname);
    QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ok"));
    box->setDefaultButton(ok);
    box->open();
    return box;
}

namespace {

// The widgets of a sheet that take the focus by Tab, in the order the eye reads them, hidden
// and disabled ones too: shown later, they are in place already.
class Lesefolge {
public:
    explicit Lesefolge(QWidget* blatt) : blatt_(blatt) { besuche(blatt); }

    const std::vector<QWidget*>& widgets() const { return folge_; }
    // The compound widgets among them: those whose focus proxy is a part of their own.
    const std::vector<QWidget*>& verbunde() const { return verbunde_; }

private:
    void besuche(QWidget* widget) {
        if ((widget->isWindow() && widget != blatt_) || gesehen_.contains(widget)) {
            return;
        }
        gesehen_.insert(widget);
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->focusProxy() == nullptr) {
            folge_.push_back(widget);
        }
        if (widget->focusProxy() != nullptr && widget->isAncestorOf(widget->focusProxy())) {
            verbunde_.push_back(widget);
        }
        if (widget->layout() != nullptr) {
            besuche(widget->layout());
        }
        // What stands outside a layout, such as the page of a scroll area, in the order it was
        // made.
        for (QWidget* kind : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            besuche(kind);
        }
    }

    void besuche(QLayout* layout) {
        if (auto* formular = qobject_cast<QFormLayout*>(layout)) {
            // A form's items are kept in the order they were added; its rows are the order shown.
            for (int zeile = 0; zeile < formular->rowCount(); ++zeile) {
                for (const auto rolle :
                     {QFormLayout::LabelRole, QFormLayout::FieldRole, QFormLayout::SpanningRole}) {
                    besuche(formular->itemAt(zeile, rolle));
                }
            }
            return;
        }
        for (int i = 0; i < layout->count(); ++i) {
            besuche(layout->itemAt(i));
        }
    }

    void besuche(QLayoutItem* eintrag) {
        if (eintrag == nullptr) {
            return;
        }
        if (eintrag->widget() != nullptr) {
            besuche(eintrag->widget());
        } else if (eintrag->layout() != nullptr) {
            besuche(eintrag->layout());
        }
    }

    QWidget* blatt_;
    QSet<QWidget*> gesehen_;
    std::vector<QWidget*> folge_;
    std::vector<QWidget*> verbunde_;
};

} // namespace

void ordneTabfolge(QWidget* blatt) {
    const Lesefolge lesefolge(blatt);
    const std::vector<QWidget*>& folge = lesefolge.widgets();
    for (std::size_t i = 1; i < folge.size(); ++i) {
        QWidget::setTabOrder(folge[i - 1], folge[i]);
    }
    // Tab stops at a compound widget too, such as a number field around its text field, and
    // hands the focus to its proxy, going on from there: the compound must stand right before
    // its parts. The ordering above moves only the parts, so a compound made while the sheet is
    // open would stay where Qt put it, after the sheet's last button, and Tab from that button
    // would lead back into the field. Qt puts a compound in front of its first part whenever its
    // proxy is set; a number field's first part is the text field.
    for (QWidget* verbund : lesefolge.verbunde()) {
        verbund->setFocusProxy(verbund->focusProxy());
    }
}

} // namespace qb
