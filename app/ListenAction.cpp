#include "ListenAction.h"

#include "CurveSound.h"
#include "LiveCurve.h"
#include "MessageBox.h"
#include "TRChart.h"

#include <QAction>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>

TListenAction::TListenAction(TCustomRChart* chart, QObject* actionParent, TTranslate translate)
    : QObject(chart), chart_(chart), action_(new QAction(actionParent)), translate_(std::move(translate)) {
  action_->setObjectName(QStringLiteral("Listen"));
  action_->setText(QStringLiteral("LX_Listen"));
  connect(action_, &QAction::triggered, this, [this] { Play(); });
}

TListenAction::~TListenAction() { Stop(); }

std::vector<int16_t> TListenAction::VisibleCurveSound() const {
  const TCurveSamples curve = LiveCurve(*chart_);
  const int layer = chart_->CurrentLayer();
  const double xLo = double(chart_->ScalePropsX(layer)->RangeLow());
  const double xHi = double(chart_->ScalePropsX(layer)->RangeHigh());
  std::vector<double> y;
  y.reserve(curve.Y.size());
  for (size_t i = 0; i < curve.T.size(); ++i)
    if (curve.T[i] >= xLo && curve.T[i] <= xHi) y.push_back(curve.Y[i]);
  return SynthesizeCurve(y.data(), int(y.size()), double(chart_->ScalePropsY(layer)->RangeLow()),
                         double(chart_->ScalePropsY(layer)->RangeHigh()));
}

void TListenAction::Message(const QString& key, const QString& english) {
  ShowMessageBox(TMessageKind::Information, TextOr(translate_, key, english));
}

bool TListenAction::Play() {
  Stop();
  const std::vector<int16_t> pcm = VisibleCurveSound();
  bool audible = false;
  for (int16_t v : pcm) audible = audible || v != 0;
  if (!audible) {
    Message(QStringLiteral("ListenNoCurve"), QStringLiteral("There is no curve in the view to listen to."));
    return false;
  }
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  QAudioFormat format;
  format.setSampleRate(TCurveSoundParams().SampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  if (device.isNull() || !device.isFormatSupported(format)) {
    Message(QStringLiteral("ListenNoAudio"),
            QStringLiteral("The curve cannot be played: this computer has no audio output that Kalvora can use."));
    return false;
  }
  bytes_ = new QByteArray(reinterpret_cast<const char*>(pcm.data()), qsizetype(pcm.size() * sizeof(int16_t)));
  buffer_ = new QBuffer(bytes_, this);
  buffer_->open(QIODevice::ReadOnly);
  sink_ = new QAudioSink(device, format, this);
  connect(sink_, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
    if (!sink_) return;
    if (state == QAudio::IdleState) QMetaObject::invokeMethod(this, [this] { Stop(); }, Qt::QueuedConnection);
    else if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError) {
      QMetaObject::invokeMethod(this, [this] {
        Stop();
        Message(QStringLiteral("ListenFailed"), QStringLiteral("The audio output stopped with an error."));
      }, Qt::QueuedConnection);
    }
  });
  sink_->start(buffer_);
  if (sink_->error() != QAudio::NoError) {
    Stop();
    Message(QStringLiteral("ListenFailed"), QStringLiteral("The audio output stopped with an error."));
    return false;
  }
  return true;
}

void TListenAction::Stop() {
  if (sink_) {
    sink_->disconnect(this);
    sink_->stop();
    delete sink_;
    sink_ = nullptr;
  }
  delete buffer_;
  buffer_ = nullptr;
  delete bytes_;
  bytes_ = nullptr;
}
