#include <optional>

#include <QTest>
#include <gtest/gtest.h>

#include "ui/Arbeitspool.h"
#include "ui/Kursabrufadapter.h"

using namespace qb;

namespace {

// The first fetch sets up libcurl and OpenSSL on a worker, which then holds OpenSSL's state for
// its thread; OpenSSL frees that state only while it is itself still set up, and it tears
// itself down at exit, after whatever was made before it, here the pool. Run alone, as ctest
// runs every test, this test does it in the application's order; the leak check at exit (the
// sanitizer build) then finds the worker's state lost unless the workers end with the
// application object.
TEST(ArbeitspoolTest, derErsteAbrufAufEinemArbeiterHinterlaesstNichtsBeimEnde) {
    arbeitspool();
    Kursdienst::Adressen adressen;
    // Nothing listens there; the fetch fails at once, after the set-up.
    adressen.ezb = "https://127.0.0.1:1";
    Kursabrufadapter adapter(Kursdienst::standard(adressen));
    std::optional<std::optional<Kursnotierung>> ergebnis;
    ASSERT_TRUE(adapter.hole(Assetklasse::waehrung, "USD", std::nullopt, [] { return true; },
                             [&](std::optional<Kursnotierung> n) { ergebnis = std::move(n); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ergebnis.has_value(); }, 30000));
    EXPECT_FALSE(ergebnis->has_value());
    EXPECT_NE(adapter.stand().fehlermeldung(), nullptr);
}

} // namespace
