// One install attempt: what the install thread carries from step to step, and the seams it
// reaches the outside world through (the download engine, the signature check, the package
// runs, the server query, the system facts), so that each phase can be tested on its own.
//
// Threading: an attempt belongs to its install thread. It never touches the window: it holds a
// snapshot of the window's paths and its message target, which drops posts once the window is
// gone, so the thread may outlive the window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "download/CDownLoadImpl.h"
#include "install/InstallWindow.h"
#include "install/RunFolder.h"

namespace install {

// The thread's results.
inline constexpr std::uint32_t kInstalled = 0;
inline constexpr std::uint32_t kNotExecutableDone = 1;
inline constexpr std::uint32_t kStoppedOrFailed = 0xFFFFFFFFu;

// What the attempt calls outside itself. DefaultSeams() wires the real ones.
struct InstallSeams {
    // SuperDownloadFile with `progress` as the facade's owner.
    std::function<int(const std::wstring& url, const std::wstring& path, std::string& cdnInfo,
                      bool report, bool checkMinSize, IDownloadProgress* progress)>
        download;
    std::function<int(const std::wstring& path, const std::wstring& md5,
                      const std::wstring& md5Extra, const std::wstring& version)>
        checkMd5;
    std::function<bool(const std::wstring& path)> verifySignature;
    // After the main package's signature verified: its signed manifest names this installer's
    // product at an accepted version (logs why not). Sub-programs are other products.
    std::function<bool(const std::wstring& path)> verifyProduct;
    // The main package's silent install; false when the thread must end with -1.
    std::function<bool(const std::wstring& package, const std::wstring& installPath,
                       IInstallWindow& window)>
        runMainPackage;
    // Every downloaded sub-program's install; false when the thread must end with -1.
    std::function<bool(const std::wstring& installPath, IInstallWindow& window)> runSubPrograms;
    // The synchronous download-info query.
    std::function<int()> queryServer;
    // Header probe: the HTTP status, or nothing when the helper cannot be created.
    std::function<bool(const std::string& url, long& status, int& curlCode)> probeUrl;
    // Posts the exception report body; the libcurl result, the answer in `response`.
    std::function<int(const std::string& body, std::string& response)> postException;
    // Starts the installer's own executable again, detached; false when it could not.
    std::function<bool()> restartSelf;
    std::function<void(std::uint32_t ms)> sleep;
    float windowsVersion = 10.0f;
    bool is64BitSystem = true;
    // Native and 32-bit views of the program-files folder.
    std::wstring programFilesNative;
    std::wstring programFiles32;
};

InstallSeams DefaultSeams();

// The window as the attempt saw it at its start.
class WindowSnapshot final : public IInstallWindow {
public:
    explicit WindowSnapshot(const IInstallWindow& window)
        : installPath_(window.GetInstallPath()),
          defaultPath_(window.GetDefaultPath()),
          target_(window.GetMessageTarget()) {}
    std::wstring GetInstallPath() const override { return installPath_; }
    std::wstring GetDefaultPath() const override { return defaultPath_; }
    std::shared_ptr<IMessageTarget> GetMessageTarget() const override { return target_; }

private:
    std::wstring installPath_;
    std::wstring defaultPath_;
    std::shared_ptr<IMessageTarget> target_;
};

struct InstallAttempt {
    InstallAttempt(const IInstallWindow& source, InstallSeams seamsIn)
        : window(source), seams(std::move(seamsIn)), installPath(window.GetInstallPath()) {}

    // A stop point: true (logged) when the program is exiting and the thread must end silently.
    bool Stopped() const;
    void Post(std::uint32_t message, std::uintptr_t wParam = 0) const;
    // "Retry" after a user retry, else `otherwise`.
    std::string RetryLabel(const std::string& otherwise = "First") const;

    WindowSnapshot window;
    InstallSeams seams;
    std::wstring installPath;
    std::wstring packageUrl;
    std::wstring packagePath;
    std::wstring taskFilePath;
    // The copies that are verified and run; the package's copy once verification made it.
    RunFolder runFolder;
    std::wstring runPath;
    std::string cdnInfo;
    int mainResult = -1;
    int attempt = 0;
    std::int64_t totalBytes = 0;
    std::uint32_t startTick = 0;
    std::uint32_t downloadTick = 0;
    std::uint32_t downloadEndTick = 0;
    std::uint32_t verifyTick = 0;
    std::uint32_t installTick = 0;
};

// The thread body of one attempt: 0 installed, 1 a non-executable package downloaded, -1
// stopped or failed (as unsigned). The outcome reaches the window only through posted messages.
std::uint32_t InstallThreadFunc(const IInstallWindow& window, InstallSeams seams);
std::uint32_t InstallThreadFunc(const IInstallWindow& window);

}  // namespace install
