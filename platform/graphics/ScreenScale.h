#pragma once

namespace graphics {

// The main screen's scale (pixels per point), used wherever a caller asks for scale 0. The UI's
// screen sets it when it is made; until then it is 3, the phone's. Values that are not positive
// and finite are ignored. Safe from any thread.
void setMainScreenScale(double scale);
double mainScreenScale();

}  // namespace graphics
