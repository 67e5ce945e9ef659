#include <gtest/gtest.h>

#include "sources/Adresse.h"

using qb::Adresse;

namespace {

TEST(Adresse, kodiertJedenNamenUndWertDerAbfrage) {
    EXPECT_EQ(Adresse::bilde("https://beispiel.test", "/v1/a",
                             {{"isin", "DE0007164600"}, {"symbol", "XETR:DE 1&x=ä"}, {"n a", "1/2?#"}}),
              "https://beispiel.test/v1/a?isin=DE0007164600&symbol=XETR%3ADE%201%26x%3D%C3%A4&n%20a=1%2F2%3F%23");
}

TEST(Adresse, setztDenPfadHinterDenPraefixDerBasis) {
    EXPECT_EQ(Adresse::bilde("https://h.test:8443/", "/p", {}), "https://h.test:8443/p");
    EXPECT_EQ(Adresse::bilde("https://h.test/api/?alt=1#x", "/p", {{"a", "b"}}), "https://h.test/api/p?a=b");
    EXPECT_EQ(Adresse::bilde("keine adresse", "/p", {}), std::nullopt);
    EXPECT_EQ(Adresse::bilde(std::string_view("https://h.test\0x", 16), "/p", {}), std::nullopt);
}

TEST(Adresse, liestSchemaUndHostKlein) {
    EXPECT_EQ(Adresse::schema("HTTPS://H.test/x"), "https");
    EXPECT_EQ(Adresse::schema("h.test/x"), std::nullopt);
    EXPECT_EQ(Adresse::schema("1http://h"), std::nullopt);
    EXPECT_EQ(Adresse::host("https://LocalHost:443/x"), "localhost");
    EXPECT_EQ(Adresse::host("kaputt"), std::nullopt);
}

} // namespace
