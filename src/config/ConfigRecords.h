// Records that server content stores in the configuration.
#pragma once

#include <cstdint>
#include <string>

// One toolkit sub-program offered by the content server.
struct SubProgramInfo {
    std::int32_t pid = 0;
    std::int32_t parent_pid = 0;
    std::int32_t status = 0;  // 1 once downloaded
    std::int32_t reserved = 0;
    std::wstring download;
    std::wstring file_size;
    std::wstring file_md5;
    std::wstring launch_name;
    std::wstring install_dir;
    std::wstring local_path;
    std::wstring run_path;  // the verified copy that is installed from
};

// One banner picture of the running page, keyed by its sort value.
struct BannerRecord {
    std::wstring banner_url;
    std::wstring jump_url;
    std::wstring prompt;
    std::wstring picture_path;
    std::int32_t sort = 0;
};

struct PrivacyLinkPair {
    std::wstring privacy_url;
    std::wstring license_url;
};
