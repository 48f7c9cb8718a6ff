#include "speech/speechplugin.h"

#include "speech/speaker.h"

namespace {

class SpeakerVoice : public SpeechVoice {
public:
    void speak(const QString& text) override { m_speaker.speak(text); }
    void stop() override { m_speaker.stop(); }
    void find() override { m_speaker.find(); }

    SpeechStatus status() const override {
        switch (m_speaker.state()) {
        case Speaker::State::Ready:
            return {SpeechStatus::State::Ready, {}};
        case Speaker::State::Unavailable:
            return {SpeechStatus::State::Unavailable, m_speaker.reason()};
        case Speaker::State::NotLookedFor:
        case Speaker::State::Searching:
            break;
        }
        return {SpeechStatus::State::Searching, m_speaker.reason()};
    }

    void setStatusObserver(std::function<void()> changed) override {
        QObject::disconnect(&m_speaker, &Speaker::stateChanged, nullptr, nullptr);
        QObject::connect(&m_speaker, &Speaker::stateChanged, &m_speaker, std::move(changed));
    }

private:
    Speaker m_speaker;
};

} // namespace

std::unique_ptr<SpeechVoice> SpeechPlugin::makeVoice() {
    return std::make_unique<SpeakerVoice>();
}
