#pragma once
// The pop-up item "Listen to the curve": plays the visible part of the live
// curve as sound (CurveSound.h) on the default audio output. Without an audio
// output, or when it fails, a message says so and nothing else changes.
#include "Texts.h"

#include <QObject>
#include <cstdint>
#include <vector>

class QAction;
class QAudioSink;
class QBuffer;
class TCustomRChart;

class TListenAction : public QObject {
  Q_OBJECT
public:
  // The item is created as a child of actionParent with the caption "LX_Listen".
  TListenAction(TCustomRChart* chart, QObject* actionParent, TTranslate translate);
  ~TListenAction() override;

  QAction* Action() const { return action_; }

  // The sound of the live curve's samples inside the view of the chart's current layer.
  std::vector<int16_t> VisibleCurveSound() const;
  // Plays it; returns false (after the message) when there is no curve or no audio output.
  bool Play();
  void Stop();
  bool Playing() const { return sink_ != nullptr; }

private:
  void Message(const QString& key, const QString& english);

  TCustomRChart* chart_;
  QAction* action_;
  TTranslate translate_;
  QAudioSink* sink_ = nullptr;
  QBuffer* buffer_ = nullptr;
  QByteArray* bytes_ = nullptr;
};
