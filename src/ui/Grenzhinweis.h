#pragma once

#include <QString>

#include "ui/Hinweiszeile.h"

namespace qb {

// The warning under a figure that breaks a limit: a warning triangle and the text, in the
// callout font and the warning colour, wrapping onto as many lines as the text needs. The
// caller updates the text in place.
class Grenzhinweis : public Hinweiszeile {
    Q_OBJECT
public:
    explicit Grenzhinweis(const QString& text, QWidget* eltern = nullptr);

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* ereignis) override;
};

} // namespace qb
