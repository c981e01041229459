#pragma once
// Message boxes for tests: records each box asked for and answers at once with a queued result,
// else the default button's id. Installs itself as the process's boxes while alive.
#include "platform/sdl/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

namespace kxtest {

class RecordingMessageBoxes final : public platform::sdl::IMessageBoxes {
public:
    struct Box {
        std::string text;
        std::string caption;
        uint32_t flags = 0;
        const platform::sdl::Window* owner = nullptr;
    };

    RecordingMessageBoxes() { platform::sdl::SetMessageBoxes(this); }
    ~RecordingMessageBoxes() override { platform::sdl::SetMessageBoxes(nullptr); }
    RecordingMessageBoxes(const RecordingMessageBoxes&) = delete;
    RecordingMessageBoxes& operator=(const RecordingMessageBoxes&) = delete;

    // The next box returns result (each queued result answers one box).
    void QueueAnswer(int32_t result) { m_answers.push_back(result); }

    int32_t Show(std::string_view text, std::string_view caption, uint32_t flags,
                 const platform::sdl::Window* owner) override
    {
        m_boxes.push_back({std::string(text), std::string(caption), flags, owner});
        if (!m_answers.empty()) {
            const int32_t result = m_answers.front();
            m_answers.pop_front();
            return result;
        }
        const platform::sdl::BoxLayout layout = platform::sdl::DescribeMessageBox(flags);
        return layout.buttons[layout.defaultIndex].id;
    }

    const std::vector<Box>& Boxes() const { return m_boxes; }
    void Clear() { m_boxes.clear(); }

private:
    std::vector<Box> m_boxes;
    std::deque<int32_t> m_answers;
};

} // namespace kxtest
