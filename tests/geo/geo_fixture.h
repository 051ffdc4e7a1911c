// What the GIS tests share: one datum shift, one Gauss–Krüger projection, and a fresh folder
// for each test's files.
#pragma once

#include "geo/datum.h"
#include "geo/gauss_kruger.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

inline const kavu::geo::DatumShift& Shift() {
    static const std::unique_ptr<kavu::geo::DatumShift> shift = [] {
        std::string error;
        auto s = kavu::geo::DatumShift::Create(error);
        EXPECT_TRUE(s) << error;
        return s;
    }();
    return *shift;
}

inline const kavu::geo::GaussKruger& Gk() {
    static const std::unique_ptr<kavu::geo::GaussKruger> gk = [] {
        std::string error;
        auto g = kavu::geo::GaussKruger::Create(error);
        EXPECT_TRUE(g) << error;
        return g;
    }();
    return *gk;
}

class TempDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("kavu-geo-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::filesystem::path dir_;
};
