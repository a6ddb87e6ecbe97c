#include "UiTestSupport.h"

std::vector<std::string>& traceLog() {
    static std::vector<std::string> log;
    return log;
}

QV_DEFINE_CLASS(TraceView, "QVTestTraceView");
QV_DEFINE_CLASS(HostView, "QVTestHostView");
QV_DEFINE_CLASS(HostViewVariant, "QVTestHostViewVariant");
QV_DEFINE_CLASS(HostWallpaperWindow, "QVTestWallpaperWindow");

void TraceView::registerMethods(runtime::MethodList<TraceView>& methods) {
    methods.add<&TraceView::willMoveToWindowTrace>(kWillMoveToWindow)
        .add<&TraceView::didMoveToWindowTrace>(kDidMoveToWindow)
        .add<&TraceView::didMoveToSuperviewTrace>(kDidMoveToSuperview)
        .add<&TraceView::layoutTrace>(kLayoutSubviews)
        .add<&TraceView::traitsTrace>(kTraitCollectionDidChange);
}

void TraceView::willMoveToWindowTrace(ui::Window* window) {
    traceLog().push_back(name_ + (window != nullptr ? ":willMoveToWindow" : ":willLeaveWindow"));
    kWillMoveToWindow.sendSuper(this, window);
}

void TraceView::didMoveToWindowTrace() {
    traceLog().push_back(name_ + (window() ? ":didMoveToWindow" : ":didLeaveWindow"));
    kDidMoveToWindow.sendSuper(this);
}

void TraceView::didMoveToSuperviewTrace() {
    traceLog().push_back(name_ + ":didMoveToSuperview");
    kDidMoveToSuperview.sendSuper(this);
}

void TraceView::layoutTrace() {
    ++layoutCount;
    traceLog().push_back(name_ + ":layout");
    kLayoutSubviews.sendSuper(this);
}

void TraceView::traitsTrace(ui::TraitCollection previous) {
    traceLog().push_back(name_ + (traitCollection().isDark() ? ":dark" : ":light"));
    kTraitCollectionDidChange.sendSuper(this, previous);
}
