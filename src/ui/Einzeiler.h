#pragma once

#include <QLabel>
#include <QString>

namespace qb {

// A plain-text label on one line that asks for the width of its whole text but makes do with
// less: then the text is cut off at the end with "…". A text of several lines shows its first
// line, cut off the same way.
class Einzeiler : public QLabel {
    Q_OBJECT
public:
    explicit Einzeiler(QWidget* eltern = nullptr);

    void setzeText(const QString& text);
    // The whole text, as given.
    const QString& volltext() const { return volltext_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* ereignis) override;
    void changeEvent(QEvent* ereignis) override;

private:
    QString ersteZeile() const;
    void kuerze();

    QString volltext_;
};

} // namespace qb
