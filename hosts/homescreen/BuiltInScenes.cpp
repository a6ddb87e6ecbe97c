#include "hosts/homescreen/BuiltInScenes.h"

#include <algorithm>
#include <array>

namespace {

struct Sample {
    const char* app;
    const char* title;
    const char* body;
};

constexpr std::array<Sample, 6> kSamples = {{
    {"MESSAGES", "Anna", "Lunch at one? The place by the river."},
    {"MAIL", "Quarterly report", "The figures are in; have a look before tomorrow."},
    {"CALENDAR", "Stand-up", "In 15 minutes, room 4"},
    {"WEATHER", "Rain later", "Showers from 3 pm, take an umbrella."},
    {"PHOTOS", "On this day", "Three years ago"},
    {"MUSIC", "New release", "The album you follow is out."},
}};

// A step adding sample notification `index`; `timing` goes first ("\"after\": 0.5, ").
std::string notificationStep(int index, const std::string& timing = {}) {
    const Sample& s = kSamples[std::size_t(index) % kSamples.size()];
    return "{" + timing + R"("do": "notification", "id": "n)" + std::to_string(index) +
           R"(", "app": ")" + s.app + R"(", "title": ")" + s.title + R"(", "body": ")" + s.body +
           R"("})";
}

}  // namespace

std::string builtInScene(const std::string& name, int notifications) {
    if (name == "picture") {
        std::string steps;
        for (int i = 0; i < std::clamp(notifications, 0, int(kSamples.size())); ++i) {
            steps += notificationStep(i) + ",\n    ";
        }
        return R"({"steps": [
    )" + steps +
               R"({"after": 1, "do": "snapshot", "file": "lockscreen.png"}
]})";
    }
    if (name == "frames") {
        return R"({"steps": [
    {"after": 1, "do": "scroll", "target": "page", "page": 0.55, "animated": true},
    {"do": "frames", "count": 30, "prefix": "scroll"},
    {"do": "scroll", "target": "page", "page": 1, "animated": true},
    {"do": "frames", "count": 30, "prefix": "scroll-back"},
    {"do": "scroll", "target": "list", "y": -140},
    )" + notificationStep(1, R"("after": 0.5, )") +
               R"(,
    {"after": 0.1, "do": "scroll", "target": "list", "y": 36, "animated": true},
    {"do": "frames", "count": 40, "prefix": "notification"},
    {"after": 1, "do": "snapshot", "file": "notification-settled.png"}
]})";
    }
    return {};
}
