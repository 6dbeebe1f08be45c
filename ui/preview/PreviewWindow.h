#pragma once
// The preview: a window beside the main window that shows the selected entry
// as an image, as text or as bytes, and follows the selection while it is
// open. Reading and decoding run on worker threads (PreviewLoader); the window
// shows "正在读取…" until the newest request answers. Closing only hides it,
// so its size and place hold for the run.
#include <QWidget>

#include "ui/preview/PreviewLoader.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QStackedWidget;
class QToolButton;

namespace tessarin {

class HexView;
class ImageView;

class PreviewWindow : public QWidget {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* owner);
    ~PreviewWindow() override;

    // Shows the window (when asked to open it) with this entry.
    void ShowEntry(const QString& displayName, const PreviewRequest& request);
    // Cancels the reading and waits for the workers: before the archive closes.
    void StopReading();
    // Forgets the entry shown: its archive is closed or read anew.
    void Clear();
    bool Loading() const { return loading_; }

    // Parts, for the keys and for tests.
    ImageView* Image() const { return image_; }
    HexView* Hex() const { return hex_; }
    QPlainTextEdit* Text() const { return text_; }
    QLabel* Status() const { return status_; }
    QLabel* Message() const { return message_; }
    QLabel* Note() const { return note_; }
    QComboBox* Encoding() const { return encoding_; }
    QToolButton* HexToggle() const { return hexToggle_; }
    const PreviewContent& Content() const { return content_; }

signals:
    // A request was answered and shown.
    void shown();
    // Bytes read further on were shown.
    void bytesShown();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Request();
    void PlaceBesideOwner();
    void OnLoaded(quint64 ticket, const PreviewContent& content);
    void ShowContent();
    void ShowText();
    void UpdateStatus();
    void ReadBytes(qint64 at, qint64 count);
    void OnBytes(quint64 ticket, qint64 at, const QByteArray& bytes, qint64 end, const QString& message);
    void AddMessage(const QString& message);

    PreviewLoader* loader_;
    PreviewRequest request_;
    quint64 ticket_ = 0;
    bool loading_ = false;
    bool placed_ = false;
    PreviewContent content_;
    QString lineEnds_;  // of the text shown, for the status line

    QLabel* message_;
    QLabel* note_;
    QStackedWidget* pages_;
    ImageView* image_;
    QPlainTextEdit* text_;
    HexView* hex_;
    QLabel* status_;
    QComboBox* encoding_;
    QToolButton* hexToggle_;
};

}  // namespace tessarin
