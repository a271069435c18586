// The fake shell link object counts references like the real one and saves what it holds.
#include <gtest/gtest.h>

#include <string>

#include "com.h"
#include "fake.h"
#include "files.h"

namespace {

const GUID kShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kUnknownId = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kShellLinkId = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const GUID kPersistFileId = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class FakeComTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::Reset();
        ASSERT_EQ(S_OK, CoInitialize(nullptr));
    }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(FakeComTest, ObjectLivesUntilItsLastReferenceWhicheverInterfaceHoldsIt) {
    void* reached = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkId, &reached));
    IShellLinkA* link = static_cast<IShellLinkA*>(reached);
    ASSERT_EQ(S_OK, link->QueryInterface(kPersistFileId, &reached));
    IPersistFile* file = static_cast<IPersistFile*>(reached);
    EXPECT_NE(static_cast<void*>(link), static_cast<void*>(file));
    EXPECT_EQ(3u, file->AddRef());

    EXPECT_EQ(2u, link->Release());
    EXPECT_EQ(1u, file->Release());
    EXPECT_EQ(1, fake::LiveShellLinks());
    EXPECT_EQ(0u, file->Release());
    EXPECT_EQ(0, fake::LiveShellLinks());
    EXPECT_EQ("IPersistFile", fake::CallsTo("IUnknown::Release").back().args[0]);
}

TEST_F(FakeComTest, SavedFileReadsBackWithEveryField) {
    void* reached = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_LOCAL_SERVER, kUnknownId, &reached));
    IUnknown* object = static_cast<IUnknown*>(reached);
    ASSERT_EQ(S_OK, object->QueryInterface(kShellLinkId, &reached));
    IShellLinkA* link = static_cast<IShellLinkA*>(reached);
    ASSERT_EQ(S_OK, object->QueryInterface(kPersistFileId, &reached));
    IPersistFile* file = static_cast<IPersistFile*>(reached);
    link->SetPath("C:\\Q\\q.exe");
    link->SetArguments("50% \r\n zwei");
    link->SetIconLocation("C:\\Q\\q.ico", 3);
    link->SetHotkey(0x0651);

    EXPECT_EQ(S_OK, file->Save(u"C:\\Product\\q \u00FC.lnk", TRUE));

    std::optional<fake::ShortcutFields> fields = fake::ReadShortcutFile("C:\\Product\\q \xFC.lnk");
    ASSERT_TRUE(fields);
    EXPECT_EQ("C:\\Q\\q.exe", fields->path);
    EXPECT_EQ("50% \r\n zwei", fields->arguments);
    EXPECT_EQ("C:\\Q\\q.ico", fields->iconFile);
    EXPECT_EQ(3, fields->iconIndex);
    EXPECT_EQ(SW_SHOWNORMAL, fields->showCommand) << "a fresh object's show command";
    EXPECT_EQ(0x0651, fields->hotKey);
    EXPECT_EQ(std::optional<std::string>("C:\\Product\\q \xFC.lnk"), fake::LastSavedShortcutFile());
    EXPECT_EQ(static_cast<HRESULT>(0x80070003u), file->Save(u"C:\\Fehlt\\q.lnk", TRUE));
    file->Release();
    link->Release();
    object->Release();
}

TEST_F(FakeComTest, CreationNeedsComTheRightClassAndNoOuterObject) {
    void* reached = reinterpret_cast<void*>(uintptr_t{1});
    EXPECT_EQ(static_cast<HRESULT>(0x80040154u),
              CoCreateInstance(kUnknownId, nullptr, CLSCTX_INPROC_SERVER, kUnknownId, &reached));
    EXPECT_EQ(nullptr, reached);
    IUnknown* outer = reinterpret_cast<IUnknown*>(uintptr_t{0x100});
    EXPECT_EQ(static_cast<HRESULT>(0x80040110u),
              CoCreateInstance(kShellLinkClass, outer, CLSCTX_INPROC_SERVER, kUnknownId, &reached));
    CoUninitialize();
    EXPECT_EQ(static_cast<HRESULT>(0x800401F0u),
              CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kUnknownId, &reached));
    EXPECT_EQ(0, fake::ShellLinksMade());
    CoInitialize(nullptr);
}

}  // namespace
