#include "app/RunStats.h"
#include "platform/PlatformTypes.h"
#include "scene/Maze.h"
#include "world/World.h"
#include <cmath>
#include <cstdio>

CRunStats g_runStats;

void CRunStats::Reset() {
    *this = CRunStats();
}

void CRunStats::Capture(const CWorld& world, int level) {
    m_nLevel = level;
    m_nScore = world.GetScore();
    m_nLives = world.GetLives();
    m_nShots = world.GetShots();
    m_x = world.GetCamera().x;
    m_z = world.GetCamera().z;
    m_heading = world.GetCamera().heading;
    m_dFrameSeconds = world.GetFrameSeconds();
    m_nDotsLeft = 0;
    m_nEnemies = 0;
    if (const CMaze* maze = world.GetMaze()) {
        m_nDotsLeft = maze->GetDotsLeft();
        m_nEnemies = maze->GetChildCount(); // the maze's children are its enemies
    }
}

double CRunStats::Fps() const {
    return m_dFrameSeconds > 0.0 ? m_nFrames / m_dFrameSeconds : 0.0;
}

std::string JsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

namespace {

const char* AnswerName(int32_t answer) {
    switch (answer) {
    case IDOK:
        return "ok";
    case IDYES:
        return "yes";
    case IDNO:
        return "no";
    default:
        return "cancel";
    }
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value))
        return "null";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", value);
    return buf;
}

} // namespace

std::string CRunStats::ToJson() const {
    std::string json = "{";
    auto field = [&](const char* name, const std::string& value) {
        if (json.size() > 1)
            json += ", ";
        json += JsonQuote(name) + ": " + value;
    };
    field("frames", std::to_string(m_nFrames));
    field("fps", JsonNumber(Fps()));
    field("level", std::to_string(m_nLevel));
    field("score", std::to_string(m_nScore));
    field("lives", std::to_string(m_nLives));
    field("shots", std::to_string(m_nShots));
    field("dots_left", std::to_string(m_nDotsLeft));
    field("enemies", std::to_string(m_nEnemies));
    field("x", JsonNumber(m_x));
    field("z", JsonNumber(m_z));
    field("heading", JsonNumber(m_heading));
    std::string events = "{";
    for (int code = 1; code <= 5; ++code) {
        if (code > 1)
            events += ", ";
        events += JsonQuote(std::to_string(code)) + ": " + std::to_string(m_events[code]);
    }
    field("events", events + "}");
    std::string boxes = "[";
    for (size_t i = 0; i < m_boxes.size(); ++i) {
        if (i > 0)
            boxes += ", ";
        boxes += "{\"text\": " + JsonQuote(m_boxes[i].text) +
                 ", \"answer\": " + JsonQuote(AnswerName(m_boxes[i].answer)) + "}";
    }
    field("message_boxes", boxes + "]");
    field("exit_code", std::to_string(m_nExitCode));
    return json + "}";
}
