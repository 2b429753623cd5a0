#include "platform/Files.h"
#include "SystemFacts.h"
#include "TempDir.h"
#include "ThrownMessage.h"
#include "platform/FileReplace.h"
#include "platform/FileStream.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

using testsupport::ThrownMessage;

TEST(FileStream, openAndCreateFailuresNameTheFullPathAndTheSystemsText) {
    testsupport::TTempDir temp;
    fs::create_directory(temp / "folder");
    const std::string missing = (temp / "missing.txt").string();
    const std::string inMissingFolder = (temp / "nowhere" / "file.txt").string();
    const std::string folder = (temp / "folder").string();
    const std::string fileNotFound = testsupport::FileNotFoundError().Text;

    EXPECT_EQ(ThrownMessage([&] { TFileStream s(missing, fmOpenRead | fmShareDenyWrite); }),
              "Cannot open file \"" + missing + "\". " + fileNotFound);
    EXPECT_EQ(ThrownMessage([&] { TFileStream s(folder, fmOpenRead); }),
              "Cannot open file \"" + folder + "\". " + testsupport::FolderAsFileError().Text);
    EXPECT_EQ(ThrownMessage([&] { TFileStream s(inMissingFolder, fmCreate); }),
              "Cannot create file \"" + inMissingFolder + "\". " + testsupport::PathNotFoundError().Text);
    EXPECT_THROW(TFileStream(missing, fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(inMissingFolder, fmCreate), EFCreateError);

    try {
        TFileStream s(missing, fmOpenRead);
    } catch (const EFileStreamError& error) {
        EXPECT_EQ(error.FileName(), missing);
        EXPECT_EQ(error.ErrorText(), fileNotFound);
    }
}

TEST(FileStream, relativeNamesAreReportedInFull) {
    testsupport::TTempDir temp;
    const fs::path old = fs::current_path();
    fs::current_path(temp.Path());
    const std::string message = ThrownMessage([] { TFileStream s("sub/../Extensions.txt", fmOpenRead); });
    fs::current_path(old);
    EXPECT_EQ(message, "Cannot open file \"" + (temp / "Extensions.txt").string() + "\". " +
                           testsupport::FileNotFoundError().Text);
}

TEST(FileStream, createWritesReadsAndTruncates) {
    testsupport::TTempDir temp;
    const std::string name = (temp / "data.bin").string();
    {
        TFileStream s(name, fmCreate);
        s.WriteBuffer(std::string_view("hello world"));
        EXPECT_EQ(s.Size(), 11);
        EXPECT_TRUE(s.FlushToDisk());
    }
    {
        TFileStream s(name, fmOpenRead | fmShareDenyWrite);
        char buffer[5];
        s.SetPosition(6);
        s.ReadBuffer(buffer, 5);
        EXPECT_EQ(std::string(buffer, 5), "world");
        EXPECT_THROW(s.ReadBuffer(buffer, 1), EReadError);
        EXPECT_EQ(s.Write("x", 1), 0) << "opened for reading only";
    }
    {
        TFileStream s(name, fmCreate);
        EXPECT_EQ(s.Size(), 0);
    }
    EXPECT_EQ(fs::file_size(name), 0u);
}

TEST(Files, directoriesFilesAndReplacing) {
    testsupport::TTempDir temp;
    const std::string dir = (temp / "one").string();
    EXPECT_FALSE(platform::DirectoryExists(dir));
    EXPECT_TRUE(platform::CreateDir(dir));
    EXPECT_TRUE(platform::DirectoryExists(dir));
    EXPECT_FALSE(platform::FileExists(dir));
    EXPECT_FALSE(platform::CreateDir((temp / "two" / "three").string())) << "one level only";

    const std::string a = (temp / "a.txt").string();
    const std::string b = (temp / "b.txt").string();
    testsupport::WriteFileBytes(a, "new");
    testsupport::WriteFileBytes(b, "old");
    EXPECT_TRUE(platform::FileExists(a));
    EXPECT_FALSE(platform::ReplaceFileContent(b, "new").Failed());
    EXPECT_EQ(testsupport::ReadFileBytes(b), "new");

    EXPECT_EQ(platform::ReplaceFileContent(dir, "x").Stage, platform::EReplaceStage::Refused)
        << "a folder is never replaced by a file";
    EXPECT_TRUE(platform::DirectoryExists(dir));
    EXPECT_TRUE(platform::RemoveFile(a));
    EXPECT_FALSE(platform::RemoveFile(a));
    const testsupport::TSystemError notFound = testsupport::FileNotFoundError();
    EXPECT_EQ(platform::SysErrorMessage(notFound.Code), notFound.Text);
}
