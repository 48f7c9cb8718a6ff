#pragma once

#include <QDialog>

#include <memory>

class CProfile;
struct SpeechStatus;
namespace Ui {
class CSoundDlg;
}

// "Sound": the one switch of all sound output, "Parameter"/"Sound", and
// below it "Aufgaben vorlesen", "Parameter"/"Vorlesen". Any stored value
// other than 0 counts as on and shows ticked. OK stores Sound as exactly 1 or
// 0, and Vorlesen only when its tick was changed, so a file that never had
// the key keeps its bytes; when the file refuses, the dialog says so and
// stays open. Leaving any other way stores nothing. The second switch can be
// used only once the host's speech service is found; until then, or without
// one, it is greyed and unticked (a stored tick is kept), with the reason as
// its tooltip and in a line under the buttons, where a ready switch is
// explained instead. The first switch shows its focus mark at once. When the
// host cannot play sounds at all (its sound module cannot be loaded), a
// further line says so.
class CSoundDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSoundDlg(CProfile& profile, QWidget* parent = nullptr);
    ~CSoundDlg() override;

    void accept() override;

private:
    void showSoundUnavailable(const QString& reason);
    void showSpeech(const SpeechStatus& status);

    CProfile& m_profile;
    std::unique_ptr<Ui::CSoundDlg> m_ui;
    bool m_readAloudAtOpening = false;
    // The tick as the user wants it, whether or not the switch is greyed.
    bool m_readAloud = false;
};
