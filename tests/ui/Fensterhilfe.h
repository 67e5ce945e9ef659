#pragma once

#include <filesystem>
#include <random>
#include <string>

#include <QTest>

namespace qbtest {

// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the scope.
class Testordner {
public:
    Testordner()
        : pfad_(std::filesystem::temp_directory_path() /
                ("qb-fenster-" + std::to_string(std::random_device{}()) +
                 std::to_string(std::random_device{}()))) {
        std::filesystem::create_directories(pfad_);
    }
    ~Testordner() {
        std::error_code egal;
        std::filesystem::remove_all(pfad_, egal);
    }
    Testordner(const Testordner&) = delete;
    Testordner& operator=(const Testordner&) = delete;

    const std::filesystem::path& pfad() const { return pfad_; }

private:
    std::filesystem::path pfad_;
};

// Waits, handling events, until the condition holds; false after half a minute without, which
// only a loaded machine comes near.
template <typename Bedingung> [[nodiscard]] bool warteBis(Bedingung bedingung) {
    return QTest::qWaitFor(bedingung, 30000);
}

} // namespace qbtest
