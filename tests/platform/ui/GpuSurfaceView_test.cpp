#include "platform/ui/GpuSurfaceView.h"

#include <gtest/gtest.h>

#include <cmath>

#include "SurfaceTestSupport.h"
#include "UiTestSupport.h"
#include "platform/dispatch/Queue.h"
#include "platform/gpu/CommandBuffer.h"
#include "platform/gpu/Drawable.h"
#include "platform/gpu/RenderCommandEncoder.h"
#include "platform/gpu/Texture.h"
#include "platform/ui/FrameStepping.h"
#include "platform/ui/Layer.h"

using ui::GpuSurfaceView;

namespace {

// Surfaces on the process's GPU (llvmpipe on machines without one). The modern phone profile
// draws at 3 pixels per point, so a 2 × 1 point surface is 6 × 3 pixels.
class GpuSurfaceTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        std::string reason;
        device = gpu::Device::systemDefault(&reason);
        ASSERT_TRUE(device) << "no GPU device: " << reason;
        renderer = FlatColorRenderer::create(device);
        ASSERT_TRUE(renderer);
    }

    std::shared_ptr<GpuSurfaceView> surface(base::Rect frame = {0, 0, 2, 1}) {
        auto view = GpuSurfaceView::create(frame, device);
        view->setDelegate(renderer);
        return view;
    }

    std::shared_ptr<gpu::Device> device;
    std::shared_ptr<FlatColorRenderer> renderer;
};

// The premultiplied byte a straight component c (0…1) with alpha a (0…1) becomes: the GPU
// stores round(255 c) and round(255 a), and the conversion rounds their product over 255.
int premultiplied(double c, double a) {
    const int c8 = int(std::lround(c * 255));
    const int a8 = int(std::lround(a * 255));
    return (c8 * a8 + 127) / 255;
}

}  // namespace

TEST_F(GpuSurfaceTest, DrawableSizeFollowsBoundsInWholePixelsAndTellsTheDelegateFirst) {
    auto view = surface({0, 0, 10, 4.1});
    EXPECT_EQ(view->drawableSize(), (base::Size{30, 12}));  // 12.3 pixels round down

    view->setFrame({0, 0, 20, 4.1});
    ASSERT_EQ(renderer->sizeChanges.size(), 1u);
    EXPECT_EQ(renderer->sizeChanges[0], (base::Size{60, 12}));
    EXPECT_EQ(renderer->sizesSeenAtChange[0], (base::Size{30, 12}));
    EXPECT_EQ(view->drawableSize(), (base::Size{60, 12}));

    // Moving without resizing, setting the same size, and nonsense sizes change nothing.
    view->setFrame({5, 5, 20, 4.1});
    view->setDrawableSize({60.7, 12.2});
    view->setDrawableSize({-1, 5});
    view->setDrawableSize({NAN, 5});
    view->setDrawableSize({INFINITY, 5});
    EXPECT_EQ(renderer->sizeChanges.size(), 1u);
    EXPECT_EQ(view->drawableSize(), (base::Size{60, 12}));

    // An explicit size holds until the bounds change again; without auto-resizing it holds for
    // good.
    view->setDrawableSize({7.9, 3.2});
    EXPECT_EQ(view->drawableSize(), (base::Size{7, 3}));
    view->setAutoResizeDrawable(false);
    view->setFrame({0, 0, 50, 50});
    EXPECT_EQ(view->drawableSize(), (base::Size{7, 3}));
    view->setAutoResizeDrawable(true);
    EXPECT_EQ(view->drawableSize(), (base::Size{150, 150}));
    EXPECT_EQ(renderer->sizeChanges.size(), 3u);
}

TEST_F(GpuSurfaceTest, AFrameHasOneDrawableAndTheNextFrameAnother) {
    auto view = surface();
    view->setClearColor(0.25, 0.5, 2.0, -1);  // clamped
    std::shared_ptr<gpu::Drawable> first, again, second;
    std::optional<gpu::RenderPassDescriptor> pass;
    renderer->presents = false;
    renderer->duringDraw = [&](GpuSurfaceView& v) {
        if (!first) {
            first = v.currentDrawable();
            again = v.currentDrawable();
            pass = v.currentRenderPassDescriptor();
        } else {
            second = v.currentDrawable();
        }
    };
    view->draw();
    ASSERT_TRUE(first);
    EXPECT_EQ(first, again);
    EXPECT_EQ(first->texture()->width(), 6u);
    EXPECT_EQ(first->texture()->height(), 3u);
    ASSERT_TRUE(pass);
    EXPECT_EQ(pass->colorAttachment.texture, first->texture());
    EXPECT_EQ(pass->colorAttachment.loadAction, gpu::LoadAction::Clear);
    EXPECT_DOUBLE_EQ(pass->colorAttachment.clearColor.blue, 1.0);
    EXPECT_DOUBLE_EQ(pass->colorAttachment.clearColor.alpha, 0.0);

    view->draw();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    // The first frame's drawable is still held here, so its texture is not handed out again.
    EXPECT_NE(second->texture(), first->texture());
}

TEST_F(GpuSurfaceTest, NoDrawablesWithoutADeviceOrPixels) {
    auto noDevice = GpuSurfaceView::create({0, 0, 2, 1}, nullptr);
    EXPECT_EQ(noDevice->currentDrawable(), nullptr);
    EXPECT_FALSE(noDevice->currentRenderPassDescriptor());

    auto empty = surface({0, 0, 0, 10});
    EXPECT_EQ(empty->drawableSize(), (base::Size{0, 30}));
    EXPECT_EQ(empty->currentDrawable(), nullptr);
    empty->draw();
    EXPECT_EQ(renderer->draws, 1);
    EXPECT_EQ(empty->presentedImage(), nullptr);
}

TEST_F(GpuSurfaceTest, APresentedFrameBecomesTheLayerContentsPremultiplied) {
    auto view = surface();
    EXPECT_EQ(view->layer()->contents(), nullptr);
    renderer->color = base::Color(1.0, 0.5, 0.2, 0.6);
    view->draw();

    ASSERT_EQ(view->presentedFrameCount(), 1u);
    const graphics::ImageRef& image = view->presentedImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(view->layer()->contents(), image);
    EXPECT_EQ(image->pixelWidth(), 6);
    EXPECT_EQ(image->pixelHeight(), 3);
    EXPECT_DOUBLE_EQ(image->scale(), 3.0);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 6; ++x) {
            const graphics::Pixel p = image->pixelAt(x, y);
            EXPECT_NEAR(p.r, premultiplied(1.0, 0.6), 1) << x << "," << y;
            EXPECT_NEAR(p.g, premultiplied(0.5, 0.6), 1);
            EXPECT_NEAR(p.b, premultiplied(0.2, 0.6), 1);
            EXPECT_NEAR(p.a, 153, 1);
        }
    }
}

TEST_F(GpuSurfaceTest, OnlyPresentedFramesReachTheScreen) {
    auto view = surface();
    renderer->color = base::Color(0, 1, 0, 1);
    view->draw();
    const graphics::ImageRef green = view->presentedImage();
    ASSERT_TRUE(green);

    // A frame rendered but not presented leaves the previous one up.
    renderer->color = base::Color(0, 0, 1, 1);
    renderer->presents = false;
    view->draw();
    EXPECT_EQ(view->presentedImage(), green);
    EXPECT_EQ(view->presentedFrameCount(), 1u);

    // Asking for the present before encoding still shows the finished frame, not the cleared
    // texture.
    renderer->presents = true;
    renderer->presentsBeforeEncoding = true;
    view->draw();
    ASSERT_NE(view->presentedImage(), green);
    EXPECT_EQ(view->presentedImage()->pixelAt(2, 1), (graphics::Pixel{255, 0, 0, 255}));
}

TEST_F(GpuSurfaceTest, AFailedCommandBufferPresentsNothing) {
    auto view = surface();
    view->draw();
    const graphics::ImageRef first = view->presentedImage();
    ASSERT_TRUE(first);

    // A draw with no pipeline bound fails the buffer at recording time.
    struct Broken : ui::GpuSurfaceViewDelegate {
        std::shared_ptr<gpu::CommandQueue> queue;
        gpu::CommandBuffer::Status status{};
        void drawableSizeWillChange(GpuSurfaceView&, base::Size) override {}
        void drawInView(GpuSurfaceView& v) override {
            auto buffer = queue->commandBuffer();
            auto encoder = buffer->renderCommandEncoder(*v.currentRenderPassDescriptor());
            encoder->drawPrimitives(gpu::PrimitiveType::Triangle, 0, 3);
            encoder->endEncoding();
            buffer->presentDrawable(v.currentDrawable());
            buffer->commit();
            status = buffer->status();
        }
    };
    auto broken = std::make_shared<Broken>();
    broken->queue = renderer->queue;
    view->setDelegate(broken);
    view->draw();
    EXPECT_EQ(broken->status, gpu::CommandBuffer::Status::Error);
    EXPECT_EQ(view->presentedImage(), first);
}

TEST_F(GpuSurfaceTest, DrawRunsTheDelegateOnceAndIgnoresNestedDraws) {
    auto view = surface();
    renderer->duringDraw = [](GpuSurfaceView& v) { v.draw(); };
    view->draw();
    EXPECT_EQ(renderer->draws, 1);

    // The surface holds its delegate weakly.
    renderer->duringDraw = nullptr;
    std::weak_ptr<FlatColorRenderer> weak = renderer;
    renderer.reset();
    EXPECT_TRUE(weak.expired());
    view->draw();  // no delegate: nothing happens
    EXPECT_EQ(view->presentedFrameCount(), 1u);
}

TEST_F(GpuSurfaceTest, APausedSurfaceDrawsOnlyWhenToldAndAnUnpausedOneEveryRefresh) {
    auto window = ui::Window::create(base::Rect{0, 0, 10, 10});
    auto view = surface();
    view->setPaused(true);
    window->addSubview(view);
    ui::testing::runFrames(3);
    EXPECT_EQ(renderer->draws, 0);

    view->setPreferredFramesPerSecond(30);
    view->setPaused(false);
    ui::testing::runFrames(4);  // a 120 Hz screen: every fourth refresh
    EXPECT_EQ(renderer->draws, 1);
    view->setPreferredFramesPerSecond(0);
    ui::testing::runFrames(3);
    EXPECT_EQ(renderer->draws, 4);

    // Out of the window it stops.
    view->removeFromSuperview();
    ui::testing::runFrames(3);
    EXPECT_EQ(renderer->draws, 4);
}

TEST_F(GpuSurfaceTest, SetNeedsDisplayDrawsOnceOnTheNextTurnWhenEnabled) {
    auto window = ui::Window::create(base::Rect{0, 0, 10, 10});
    auto view = surface();
    view->setPaused(true);
    window->addSubview(view);

    view->setNeedsDisplay();
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
    EXPECT_EQ(renderer->draws, 0);

    view->setEnableSetNeedsDisplay(true);
    view->setNeedsDisplay();
    view->setNeedsDisplay();
    EXPECT_EQ(renderer->draws, 0);
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
    EXPECT_EQ(renderer->draws, 1);

    // An explicit draw in between satisfies the request.
    view->setNeedsDisplay();
    view->draw();
    dispatch::RunLoop::main().runUntil(dispatch::nowNanos());
    EXPECT_EQ(renderer->draws, 2);
}
