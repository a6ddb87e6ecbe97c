#include "hosts/scene/ViewTreeDescription.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <utility>
#include <vector>

#include "hosts/scene/SnapshotFile.h"
#include "platform/base/DeviceRoot.h"
#include "platform/ui/Application.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/GpuSurfaceView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowScene.h"

namespace scene {

namespace {

std::string number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

void describeTree(const std::shared_ptr<ui::Window>& window, std::ostringstream& out) {
    out << "window " << window->className() << " level=" << number(window->windowLevel())
        << (window->isHidden() ? " hidden" : "") << "\n";
    std::vector<std::pair<std::shared_ptr<ui::View>, int>> stack;
    const auto& top = window->subviews();
    for (auto it = top.rbegin(); it != top.rend(); ++it) stack.emplace_back(*it, 1);
    while (!stack.empty()) {
        auto [view, depth] = std::move(stack.back());
        stack.pop_back();
        const base::Rect f = view->convertRect(view->bounds(), nullptr);
        out << std::string(std::size_t(depth) * 2, ' ') << view->className() << " frame=("
            << number(f.minX()) << "," << number(f.minY()) << "," << number(f.width()) << ","
            << number(f.height()) << ") alpha=" << number(view->alpha())
            << (view->isHidden() ? " hidden" : "");
        if (auto label = std::dynamic_pointer_cast<ui::Label>(view)) {
            out << " text=\"" << label->text() << "\"";
        }
        if (auto surface = std::dynamic_pointer_cast<ui::GpuSurfaceView>(view)) {
            out << " frames=" << surface->presentedFrameCount();
        }
        out << "\n";
        const auto& subviews = view->subviews();
        for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
            stack.emplace_back(*it, depth + 1);
    }
}

}  // namespace

std::string describeWindows() {
    std::ostringstream out;
    out << "display-link-ticks=" << ui::DisplayLink::totalTickCount() << "\n";
    bool any = false;
    for (const auto& scene : ui::Application::shared()->connectedScenes()) {
        const auto windowScene = std::dynamic_pointer_cast<ui::WindowScene>(scene);
        if (!windowScene) continue;
        for (const auto& window : windowScene->windows()) {
            describeTree(window, out);
            any = true;
        }
    }
    // A host without window scenes (the Settings app's single window) shows its windows as made.
    if (!any) {
        for (const auto& window : ui::Window::allWindows()) {
            if (!window->isHidden()) describeTree(window, out);
        }
    }
    return out.str();
}

bool isDescriptionFileName(const std::string& name) {
    if (!name.ends_with(".txt")) return false;
    return isSnapshotFileName(name.substr(0, name.size() - 4) + ".png");
}

bool writeWindowDescription(const std::string& directory, const std::string& name,
                            std::string& error) {
    return writeSceneTextFile(directory, name, describeWindows(), error);
}

bool writeSceneTextFile(const std::string& directory, const std::string& name,
                        const std::string& text, std::string& error) {
    if (!isDescriptionFileName(name)) {
        error = "\"" + name + "\" is not a plain .txt file name";
        return false;
    }
    if (!base::makeDirectories(directory)) {
        error = "cannot make the output folder " + directory;
        return false;
    }
    const std::string path = directory + "/" + name;
    // Never through a link, never blocking on a FIFO, and only over a regular file.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (fd >= 0) ::close(fd);
        error = path + " cannot be written or is not a regular file; it is left alone";
        return false;
    }
    bool ok = ::ftruncate(fd, 0) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += std::size_t(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok) error = "cannot write " + path;
    return ok;
}

}  // namespace scene
