#pragma once

#include <cstddef>

#include <QObject>

namespace qb {

class Modellkontext;

// Turns the model context's notifications into one Qt signal. However many records one action
// touches (a reset deletes hundreds), the views hear of it once, on the next turn of the event
// loop, after the action has finished. GUI thread only; must not outlive the context.
class Modellbeobachter : public QObject {
    Q_OBJECT
public:
    explicit Modellbeobachter(Modellkontext& kontext, QObject* eltern = nullptr);
    ~Modellbeobachter() override;

    Modellkontext& kontext() const { return kontext_; }

signals:
    // Records changed, were saved or were rolled back.
    void geaendert();

private:
    void vormerken();

    Modellkontext& kontext_;
    std::size_t beobachtung_ = 0;
    bool vorgemerkt_ = false;
};

} // namespace qb
