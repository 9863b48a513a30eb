// The rule that reads what a security descriptor lets other accounts do, on descriptors written
// in SDDL, so cases a file system cannot store (Wine keeps only mode bits) are covered too.
#include <gtest/gtest.h>

#include "Security.h"
#include "WinTestSupport.h"

namespace {

using platform::win32::AccessOfDescriptor;
using platform::win32::kAddRights;
using platform::win32::kRenameRights;

struct Row {
    const char* label;
    std::wstring sddl;  // "<user>" stands for this user's SID
    bool ownerTrusted;
    ACCESS_MASK mustGrant;  // rights other accounts must be found to have
    ACCESS_MASK mustNotGrant;
};

std::wstring WithUser(std::wstring sddl) {
    const std::wstring user = cvdtest::win32::UserSid();
    for (std::size_t at = sddl.find(L"<user>"); at != std::wstring::npos; at = sddl.find(L"<user>"))
        sddl.replace(at, 6, user);
    return sddl;
}

TEST(Security, OnlyAllowEntriesOfOtherAccountsThatApplyToTheObjectCount) {
    const Row rows[] = {
        {"this user alone", L"O:<user>D:P(A;OICI;FA;;;<user>)", true, 0, FILE_ALL_ACCESS},
        {"administrators and system", L"O:BAD:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FA;;;<user>)", true, 0,
         FILE_ALL_ACCESS},
        {"everyone may read", L"O:<user>D:P(A;;FRFX;;;WD)", true, 0, kAddRights | kRenameRights},
        {"users may add entries, as on C:\\", L"O:SYD:P(A;;0x100004;;;AU)", true,
         FILE_ADD_SUBDIRECTORY, kRenameRights},
        {"inherit-only full control passes to children only", L"O:SYD:P(A;OICIIO;FA;;;AU)", true, 0,
         FILE_ALL_ACCESS},
        {"generic write is mapped", L"O:<user>D:P(A;;GW;;;BU)", true, kAddRights, 0},
        {"deny entries give nothing", L"O:<user>D:P(D;;FA;;;WD)", true, 0, FILE_ALL_ACCESS},
        {"creator owner is a placeholder", L"O:<user>D:P(A;;FA;;;CO)", true, 0, FILE_ALL_ACCESS},
        {"another owner", L"O:WDD:P(A;;FA;;;<user>)", false, 0, 0},
        {"no DACL at all lets everybody in", L"O:<user>", true, FILE_ALL_ACCESS, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            WithUser(row.sddl).c_str(), SDDL_REVISION_1, &descriptor, nullptr));
        const auto facts = AccessOfDescriptor(descriptor);
        ::LocalFree(descriptor);
        ASSERT_TRUE(facts.has_value());
        EXPECT_EQ(facts->ownerTrusted, row.ownerTrusted);
        EXPECT_EQ(facts->othersMay & row.mustGrant, row.mustGrant);
        EXPECT_EQ(facts->othersMay & row.mustNotGrant, 0u);
    }
}

}  // namespace
