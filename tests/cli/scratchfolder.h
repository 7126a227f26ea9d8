#pragma once

// A fresh folder of its own for every test, also when tests run side by side, removed
// afterwards; files in it are named by their bare names.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class ScratchFolder : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_NE(::mkdtemp(m_folder.data()), nullptr) << m_folder; }
    void TearDown() override { std::filesystem::remove_all(m_folder); }
    std::string path(const std::string &name) const { return m_folder + "/" + name; }
    std::string slurp(const std::string &name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string m_folder = std::filesystem::temp_directory_path() / "perne-stats-test-XXXXXX";
};
