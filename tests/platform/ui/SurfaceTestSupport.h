#pragma once

#include <memory>
#include <vector>

#include "platform/base/Color.h"
#include "platform/base/Geometry.h"
#include "platform/gpu/CommandQueue.h"
#include "platform/gpu/Device.h"
#include "platform/gpu/RenderPipelineState.h"
#include "platform/ui/GpuSurfaceView.h"

// A surface delegate that renders one flat colour with a fragment program, so that what the
// surface shows can be told apart frame by frame. The colour is the "model": changing it changes
// nothing on screen until the surface draws again.
class FlatColorRenderer : public ui::GpuSurfaceViewDelegate {
  public:
    // nullptr when the device cannot build the program.
    static std::shared_ptr<FlatColorRenderer> create(std::shared_ptr<gpu::Device> device);

    void drawableSizeWillChange(ui::GpuSurfaceView& view, base::Size size) override;
    void drawInView(ui::GpuSurfaceView& view) override;

    // Straight alpha, as a fragment program writes it.
    base::Color color{1, 0, 0, 1};
    // Whether drawInView presents its drawable.
    bool presents = true;
    // Whether drawInView asks for the present before it encodes the pass.
    bool presentsBeforeEncoding = false;
    // Records of the callbacks.
    std::vector<base::Size> sizeChanges;
    std::vector<base::Size> sizesSeenAtChange;
    int draws = 0;
    // Runs inside drawInView before anything else (re-entrancy checks).
    std::function<void(ui::GpuSurfaceView&)> duringDraw;

    std::shared_ptr<gpu::Device> device;
    std::shared_ptr<gpu::CommandQueue> queue;
    std::shared_ptr<gpu::RenderPipelineState> pipeline;
};
