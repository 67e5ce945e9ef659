#include "ui/Datumsfeld.h"

#include <algorithm>

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTableView>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include "ui/Schriftstil.h"
#include "ui/Signalfarbe.h"
#include "ui/Vordergrund.h"
#include "foundation/Kalender.h"

namespace qb {

namespace {

QStyleOptionComboBox kastenOption(const QAbstractSpinBox* feld) {
    // Drawn as Qt draws its own date field with a calendar: an editable picker with its arrow.
    QStyleOptionComboBox option;
    option.initFrom(feld);
    option.editable = true;
    option.frame = feld->hasFrame();
    option.subControls = QStyle::SC_ComboBoxFrame | QStyle::SC_ComboBoxEditField | QStyle::SC_ComboBoxArrow;
    return option;
}

// Qt's calendar only tints the background of a day outside its range, and its digits stay as
// dark as those of a day one can pick; and it greys every day of the months before and after,
// also those one can pick. Here a day looks unavailable when the range refuses it, and only then.
class Bereichskalender : public QCalendarWidget {
public:
    using QCalendarWidget::QCalendarWidget;

protected:
    void paintCell(QPainter* maler, const QRect& feld, QDate tag) const override {
        const bool imBereich = tag >= minimumDate() && tag <= maximumDate();
        const bool imMonat = tag.month() == monthShown() && tag.year() == yearShown();
        if (imBereich && (imMonat || tag == selectedDate())) {
            QCalendarWidget::paintCell(maler, feld, tag);
            return;
        }
        maler->save();
        if (imBereich) {
            // As Qt draws a day of the month shown: the table's colours in its window's state,
            // with the formats of the weekday and the day.
            const QWidget* tafel = findChild<QTableView*>();
            const QPalette farben = tafel != nullptr ? tafel->palette() : palette();
            const QPalette::ColorGroup gruppe = !isEnabled()       ? QPalette::Disabled
                                                : isActiveWindow() ? QPalette::Active
                                                                   : QPalette::Inactive;
            QTextCharFormat format = weekdayTextFormat(static_cast<Qt::DayOfWeek>(tag.dayOfWeek()));
            format.merge(dateTextFormat(tag));
            maler->fillRect(feld, format.hasProperty(QTextFormat::BackgroundBrush)
                                      ? format.background()
                                      : farben.brush(gruppe, QPalette::Base));
            maler->setPen(format.hasProperty(QTextFormat::ForegroundBrush)
                              ? format.foreground().color()
                              : farben.color(gruppe, QPalette::Text));
            maler->setFont(tafel != nullptr ? tafel->font() : font());
        } else {
            maler->fillRect(feld, palette().brush(QPalette::Window));
            maler->setPen(palette().color(QPalette::Disabled, QPalette::Text));
        }
        maler->drawText(feld, Qt::AlignCenter, locale().toString(tag.day()));
        maler->restore();
    }
};

} // namespace

Datumsfeld::Datumsfeld(QWidget* eltern) : QAbstractSpinBox(eltern), hinweis_(new QLabel(this)) {
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    schreibe(datum_);
    lineEdit()->installEventFilter(this);
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (!schreibt_) {
            getippt();
        }
    });

    // Worded and coloured as the number fields' message under a field.
    hinweis_->setObjectName(QStringLiteral("datumshinweis"));
    hinweis_->setTextFormat(Qt::PlainText);
    hinweis_->setWordWrap(true);
    hinweis_->setFont(Schriftstil::beschriftung(hinweis_->font()));
    Vordergrund::setze(hinweis_, Signalfarbe::warnung);
    hinweis_->hide();
}

void Datumsfeld::setzeDatum(const QDate& tag) {
    if (!tag.isValid() || !eigenerText_ || tag == datum_) {
        return;
    }
    uebernimm(tag);
    // A day the range refuses is shown as it is, marked, and judged as a typed one from here on.
    ausserhalbGesetzt_ = tag < von_ || tag > bis_;
}

void Datumsfeld::setzeBereich(const QDate& von, const QDate& bis) {
    if (!von.isValid() || !bis.isValid() || (von == von_ && std::max(von, bis) == bis_)) {
        return;
    }
    von_ = von;
    bis_ = std::max(von, bis);
    if (kalender_ != nullptr) {
        kalender_->setDateRange(von_, bis_);
    }
    // A day the new range holds becomes the date, typed or not. A text the user typed stays as
    // it is, taken or marked, and so does a day set from outside the range; the field's own
    // text follows its date into the range.
    const Datumsleser::Ergebnis ergebnis = gelesen();
    if (ergebnis.fall == Datumsleser::Fall::datum) {
        // Out of the user's typing, a day taken is written as the field writes dates, as when
        // the focus leaves it; the text stays theirs.
        if (!hasFocus()) {
            schreibe(ergebnis.tag);
        }
        nimm(ergebnis.tag);
    } else if (eigenerText_ && !ausserhalbGesetzt_) {
        uebernimm(std::clamp(datum_, von_, bis_));
        return;
    }
    zeigeZustand();
}

void Datumsfeld::gibEingabeFrei() {
    if (istGueltig()) {
        eigenerText_ = true;
        ausserhalbGesetzt_ = false;
    }
}

bool Datumsfeld::istGueltig() const {
    return gelesen().fall == Datumsleser::Fall::datum;
}

QValidator::State Datumsfeld::validate(QString& text, int& /*position*/) const {
    // Every text may stand in the field; only a date in the range is one to take.
    return Datumsleser::lies(text, von_, bis_).fall == Datumsleser::Fall::datum ? QValidator::Acceptable
                                                                                : QValidator::Intermediate;
}

void Datumsfeld::fixup(QString& /*text*/) const {
    // Nothing is mended behind the user's back.
}

QAbstractSpinBox::StepEnabled Datumsfeld::stepEnabled() const {
    const QDate grund = schrittgrund();
    StepEnabled moeglich = StepNone;
    if (grund < bis_) {
        moeglich |= StepUpEnabled;
    }
    if (grund > von_) {
        moeglich |= StepDownEnabled;
    }
    return moeglich;
}

void Datumsfeld::stepBy(int schritte) {
    const int teil = teilAmCursor();
    const QDate grund = schrittgrund();
    const QDate neu = teil == 0   ? grund.addDays(schritte)
                      : teil == 1 ? grund.addMonths(schritte)
                                  : grund.addYears(schritte);
    uebernimm(std::clamp(neu, von_, bis_));
    waehleTeil(teil);
}

QSize Datumsfeld::sizeHint() const {
    // As wide as Qt's own date field: the widest date, a space and the cursor, and the arrow.
    ensurePolished();
    const int breite = fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000 ")) + 2;
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    option.buttonSymbols = QAbstractSpinBox::UpDownArrows;
    option.subControls =
        QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField | QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option,
                                     QSize(breite, lineEdit()->sizeHint().height()), this);
}

QSize Datumsfeld::minimumSizeHint() const {
    return sizeHint();
}

bool Datumsfeld::event(QEvent* ereignis) {
    const bool ergebnis = QAbstractSpinBox::event(ereignis);
    switch (ereignis->type()) {
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::LayoutDirectionChange:
        // The spin box lays its line over its whole width; the arrow needs its part.
        platziereZeile();
        break;
    default:
        break;
    }
    return ergebnis;
}

bool Datumsfeld::eventFilter(QObject* objekt, QEvent* ereignis) {
    if (objekt == lineEdit() && ereignis->type() == QEvent::MouseButtonRelease &&
        std::exchange(klickBringtFokus_, false) && !lineEdit()->hasSelectedText()) {
        // The press has placed the cursor by now; a drag over the text keeps what it chose.
        lineEdit()->selectAll();
    } else if (objekt == kalenderfenster_ && ereignis->type() == QEvent::MouseButtonPress) {
        // A press on the arrow closes the open calendar and must not open it again.
        const QPoint ort = mapFromGlobal(static_cast<QMouseEvent*>(ereignis)->globalPosition().toPoint());
        kalenderfenster_->setAttribute(Qt::WA_NoMouseReplay,
                                       kastenteil(QStyle::SC_ComboBoxArrow).contains(ort));
    } else if (objekt == kalenderfenster_ && ereignis->type() == QEvent::Hide) {
        update(); // the arrow rises again
    }
    return QAbstractSpinBox::eventFilter(objekt, ereignis);
}

void Datumsfeld::keyPressEvent(QKeyEvent* ereignis) {
    const Qt::KeyboardModifiers tasten = ereignis->modifiers() & ~Qt::KeypadModifier;
    if ((ereignis->key() == Qt::Key_F4 && tasten == Qt::NoModifier) ||
        (ereignis->key() == Qt::Key_Down && tasten == Qt::AltModifier)) {
        // As in every date field with a calendar, not a step back.
        ereignis->accept();
        oeffneKalender();
        return;
    }
    const QString text = ereignis->text();
    const bool ohneBefehlstaste = (ereignis->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
    QLineEdit* zeile = lineEdit();
    if (ohneBefehlstaste && text.size() == 1 && text.front().isDigit() && !zeile->hasSelectedText() &&
        zeile->cursorPosition() == zeile->text().size() && Datumsleser::istGanzGeschrieben(zeile->text())) {
        // After a whole date a digit can only begin a new one.
        zeile->selectAll();
    }
    QAbstractSpinBox::keyPressEvent(ereignis);
    if ((ereignis->key() == Qt::Key_Return || ereignis->key() == Qt::Key_Enter) && !eigenerText_) {
        emit eingabeGenommen();
    }
}

void Datumsfeld::focusInEvent(QFocusEvent* ereignis) {
    // The focus comes before the press reaches the line, so the press cannot tell by itself.
    klickBringtFokus_ = ereignis->reason() == Qt::MouseFocusReason;
    // Tab selects all of it.
    QAbstractSpinBox::focusInEvent(ereignis);
}

void Datumsfeld::focusOutEvent(QFocusEvent* ereignis) {
    QAbstractSpinBox::focusOutEvent(ereignis);
    klickBringtFokus_ = false;
    tipptNoch_ = false;
    // A date taken is shown as the field writes dates; any other text stays as it is.
    if (istGueltig()) {
        schreibe(datum_);
    }
    zeigeZustand();
    // The calendar brings the focus back, and so does the window when it is active again: the
    // user is still in the field.
    if (!eigenerText_ && ereignis->reason() != Qt::PopupFocusReason &&
        ereignis->reason() != Qt::ActiveWindowFocusReason) {
        emit eingabeGenommen();
    }
}

void Datumsfeld::mousePressEvent(QMouseEvent* ereignis) {
    // A press beside the line, not in it: the calendar, not typing, comes next.
    klickBringtFokus_ = false;
    if (ereignis->button() == Qt::LeftButton &&
        kastenteil(QStyle::SC_ComboBoxArrow).contains(ereignis->position().toPoint())) {
        ereignis->accept();
        oeffneKalender();
        return;
    }
    QAbstractSpinBox::mousePressEvent(ereignis);
}

void Datumsfeld::paintEvent(QPaintEvent* /*ereignis*/) {
    QStyleOptionComboBox option = kastenOption(this);
    if (kalenderfenster_ != nullptr && kalenderfenster_->isVisible()) {
        option.activeSubControls = QStyle::SC_ComboBoxArrow;
        option.state |= QStyle::State_Sunken;
    }
    QStylePainter maler(this);
    maler.drawComplexControl(QStyle::CC_ComboBox, option);
}

void Datumsfeld::changeEvent(QEvent* ereignis) {
    QAbstractSpinBox::changeEvent(ereignis);
    if (ereignis->type() == QEvent::PaletteChange) {
        zeigeZustand(); // the mark's colour, light or dark
    }
}

Datumsleser::Ergebnis Datumsfeld::gelesen() const {
    return Datumsleser::lies(lineEdit()->text(), von_, bis_);
}

void Datumsfeld::getippt() {
    tipptNoch_ = true;
    eigenerText_ = false;
    const Datumsleser::Ergebnis ergebnis = gelesen();
    if (ergebnis.fall == Datumsleser::Fall::datum) {
        nimm(ergebnis.tag);
    }
    zeigeZustand();
}

void Datumsfeld::uebernimm(const QDate& tag, bool gewaehlt) {
    schreibe(tag);
    // Before the date is told: what the owner does with it may set a new range already.
    eigenerText_ = !gewaehlt;
    ausserhalbGesetzt_ = false;
    tipptNoch_ = false;
    nimm(tag);
    zeigeZustand();
}

void Datumsfeld::schreibe(const QDate& tag) {
    const QString text = Datumsleser::text(tag);
    if (lineEdit()->text() != text) {
        schreibt_ = true;
        lineEdit()->setText(text);
        schreibt_ = false;
    }
}

void Datumsfeld::nimm(const QDate& tag) {
    if (tag != datum_) {
        datum_ = tag;
        emit datumGeaendert(datum_);
    }
}

void Datumsfeld::zeigeZustand() {
    const QString text = lineEdit()->text();
    const Datumsleser::Ergebnis ergebnis = gelesen();
    const bool gueltig = ergebnis.fall == Datumsleser::Fall::datum;
    // A date begun and not yet whole is no mistake while the user is still typing it.
    const bool falsch = !gueltig && !(ergebnis.fall == Datumsleser::Fall::unfertig && tipptNoch_);
    if (hinweis_) {
        hinweis_->setText(
            falsch ? Datumsleser::hinweis(text, ergebnis, von_, bis_, beispiel()).value_or(QString())
                   : QString());
        hinweis_->setVisible(falsch);
    }
    // The text itself in the message's colour; otherwise the line's own colours.
    QPalette farben = falsch ? palette() : QPalette();
    if (falsch) {
        farben.setColor(QPalette::Text, Signalfarbe::warnung.fuer(farben));
    }
    if (falsch || markiert_) {
        lineEdit()->setPalette(farben);
    }
    markiert_ = falsch;
    if (gueltig != gueltig_) {
        gueltig_ = gueltig;
        emit gueltigGeaendert(gueltig);
    }
}

void Datumsfeld::oeffneKalender() {
    // A day that passed unseen (a suspend, a clock set by hand) moves the range before the
    // calendar shows it.
    emit kalenderOeffnetSich();
    if (kalenderfenster_ == nullptr) {
        kalenderfenster_ = new QWidget(this, Qt::Popup);
        kalenderfenster_->setObjectName(QStringLiteral("kalenderfenster"));
        auto* rahmen = new QVBoxLayout(kalenderfenster_);
        rahmen->setContentsMargins(0, 0, 0, 0);
        kalender_ = new Bereichskalender(kalenderfenster_);
        kalender_->setObjectName(QStringLiteral("kalender"));
        // Month and day names in German, the week from Monday, whatever Qt's own locale says.
        kalender_->setLocale(QLocale(QLocale::German, QLocale::Germany));
        kalender_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        kalender_->setDateRange(von_, bis_);
        rahmen->addWidget(kalender_);
        // A click or Return on a day takes it; Escape or a click elsewhere keeps the text.
        for (auto signal : {&QCalendarWidget::clicked, &QCalendarWidget::activated}) {
            connect(kalender_, signal, this, [this](QDate tag) {
                kalenderfenster_->hide();
                if (tag >= von_ && tag <= bis_) {
                    uebernimm(tag, true);
                    emit eingabeGenommen();
                }
            });
        }
        kalenderfenster_->installEventFilter(this);
    }
    const QDate geschrieben = gelesen().tag;
    kalender_->setSelectedDate(geschrieben.isValid() ? std::clamp(geschrieben, von_, bis_) : datum_);
    // Under the field, or over it where the screen ends; within the screen's width.
    const QSize groesse = kalenderfenster_->sizeHint();
    const QRect bildschirm = screen()->availableGeometry();
    QPoint ort = mapToGlobal(QPoint(0, height()));
    if (ort.y() + groesse.height() > bildschirm.bottom()) {
        ort.setY(mapToGlobal(QPoint(0, 0)).y() - groesse.height());
    }
    ort.setX(std::clamp(ort.x(), bildschirm.left(),
                        std::max(bildschirm.left(), bildschirm.right() - groesse.width())));
    kalenderfenster_->setGeometry(QRect(ort, groesse));
    kalenderfenster_->show();
    kalender_->setFocus(Qt::PopupFocusReason);
    update();
}

QRect Datumsfeld::kastenteil(QStyle::SubControl teil) const {
    const QStyleOptionComboBox option = kastenOption(this);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, teil, this);
}

void Datumsfeld::platziereZeile() {
    const QRect feld = kastenteil(QStyle::SC_ComboBoxEditField);
    if (lineEdit()->geometry() != feld) {
        lineEdit()->setGeometry(feld);
    }
}

int Datumsfeld::teilAmCursor() const {
    const QLineEdit* zeile = lineEdit();
    const QString text = zeile->text();
    const int stelle = zeile->hasSelectedText() ? zeile->selectionStart() : zeile->cursorPosition();
    if (text.contains(QLatin1Char('.'))) {
        return std::min(2, static_cast<int>(text.left(stelle).count(QLatin1Char('.'))));
    }
    // Written without dots: two digits of day, two of month, then the year.
    return stelle < 2 ? 0 : stelle < 4 ? 1 : 2;
}

void Datumsfeld::waehleTeil(int teil) {
    // In the field's own writing: dd.MM.yyyy.
    static constexpr int anfang[] = {0, 3, 6};
    static constexpr int laenge[] = {2, 2, 4};
    lineEdit()->setSelection(anfang[teil], laenge[teil]);
}

QDate Datumsfeld::beispiel() const {
    const Datumsteile heute = Kalender::aktuell().teile(jetzt());
    return std::clamp(QDate(heute.jahr, heute.monat, heute.tag), von_, bis_);
}

QDate Datumsfeld::schrittgrund() const {
    const QDate geschrieben = gelesen().tag;
    return geschrieben.isValid() ? geschrieben : datum_;
}

} // namespace qb
