#pragma once
// Coupling of the chart's layers: for each of the sixteen layers the layer that
// controls its x range and the one that controls its y range (itself by
// default). Coupling is one level deep: a controller is never controlled and a
// controlled layer never controls.
#include "Exceptions.h"
#include <QObject>
#include <array>
#include <functional>

class EVKTRChartError : public EVKTError {
public:
  using EVKTError::EVKTError;
};

// Accessors of one layer's two properties (moc needs the property lines
// written out; the functions they name are generated here).
#define KALVORA_JOINT_LAYER_ACCESSORS(NN, N)                                                   \
  int L##NN##xControlledBy() const { return x_[N - 1]; }                                       \
  void SetL##NN##xControlledBy(int d) { SetXController(N, d); }                                \
  int L##NN##yControlledBy() const { return y_[N - 1]; }                                       \
  void SetL##NN##yControlledBy(int d) { SetYController(N, d); }

class TJointLayers : public QObject {
  Q_OBJECT
  Q_PROPERTY(int L01xControlledBy READ L01xControlledBy WRITE SetL01xControlledBy)
  Q_PROPERTY(int L01yControlledBy READ L01yControlledBy WRITE SetL01yControlledBy)
  Q_PROPERTY(int L02xControlledBy READ L02xControlledBy WRITE SetL02xControlledBy)
  Q_PROPERTY(int L02yControlledBy READ L02yControlledBy WRITE SetL02yControlledBy)
  Q_PROPERTY(int L03xControlledBy READ L03xControlledBy WRITE SetL03xControlledBy)
  Q_PROPERTY(int L03yControlledBy READ L03yControlledBy WRITE SetL03yControlledBy)
  Q_PROPERTY(int L04xControlledBy READ L04xControlledBy WRITE SetL04xControlledBy)
  Q_PROPERTY(int L04yControlledBy READ L04yControlledBy WRITE SetL04yControlledBy)
  Q_PROPERTY(int L05xControlledBy READ L05xControlledBy WRITE SetL05xControlledBy)
  Q_PROPERTY(int L05yControlledBy READ L05yControlledBy WRITE SetL05yControlledBy)
  Q_PROPERTY(int L06xControlledBy READ L06xControlledBy WRITE SetL06xControlledBy)
  Q_PROPERTY(int L06yControlledBy READ L06yControlledBy WRITE SetL06yControlledBy)
  Q_PROPERTY(int L07xControlledBy READ L07xControlledBy WRITE SetL07xControlledBy)
  Q_PROPERTY(int L07yControlledBy READ L07yControlledBy WRITE SetL07yControlledBy)
  Q_PROPERTY(int L08xControlledBy READ L08xControlledBy WRITE SetL08xControlledBy)
  Q_PROPERTY(int L08yControlledBy READ L08yControlledBy WRITE SetL08yControlledBy)
  Q_PROPERTY(int L09xControlledBy READ L09xControlledBy WRITE SetL09xControlledBy)
  Q_PROPERTY(int L09yControlledBy READ L09yControlledBy WRITE SetL09yControlledBy)
  Q_PROPERTY(int L10xControlledBy READ L10xControlledBy WRITE SetL10xControlledBy)
  Q_PROPERTY(int L10yControlledBy READ L10yControlledBy WRITE SetL10yControlledBy)
  Q_PROPERTY(int L11xControlledBy READ L11xControlledBy WRITE SetL11xControlledBy)
  Q_PROPERTY(int L11yControlledBy READ L11yControlledBy WRITE SetL11yControlledBy)
  Q_PROPERTY(int L12xControlledBy READ L12xControlledBy WRITE SetL12xControlledBy)
  Q_PROPERTY(int L12yControlledBy READ L12yControlledBy WRITE SetL12yControlledBy)
  Q_PROPERTY(int L13xControlledBy READ L13xControlledBy WRITE SetL13xControlledBy)
  Q_PROPERTY(int L13yControlledBy READ L13yControlledBy WRITE SetL13yControlledBy)
  Q_PROPERTY(int L14xControlledBy READ L14xControlledBy WRITE SetL14xControlledBy)
  Q_PROPERTY(int L14yControlledBy READ L14yControlledBy WRITE SetL14yControlledBy)
  Q_PROPERTY(int L15xControlledBy READ L15xControlledBy WRITE SetL15xControlledBy)
  Q_PROPERTY(int L15yControlledBy READ L15yControlledBy WRITE SetL15yControlledBy)
  Q_PROPERTY(int L16xControlledBy READ L16xControlledBy WRITE SetL16xControlledBy)
  Q_PROPERTY(int L16yControlledBy READ L16yControlledBy WRITE SetL16yControlledBy)

public:
  static constexpr int NumLayers = 16;

  explicit TJointLayers(QObject* parent = nullptr);

  KALVORA_JOINT_LAYER_ACCESSORS(01, 1)
  KALVORA_JOINT_LAYER_ACCESSORS(02, 2)
  KALVORA_JOINT_LAYER_ACCESSORS(03, 3)
  KALVORA_JOINT_LAYER_ACCESSORS(04, 4)
  KALVORA_JOINT_LAYER_ACCESSORS(05, 5)
  KALVORA_JOINT_LAYER_ACCESSORS(06, 6)
  KALVORA_JOINT_LAYER_ACCESSORS(07, 7)
  KALVORA_JOINT_LAYER_ACCESSORS(08, 8)
  KALVORA_JOINT_LAYER_ACCESSORS(09, 9)
  KALVORA_JOINT_LAYER_ACCESSORS(10, 10)
  KALVORA_JOINT_LAYER_ACCESSORS(11, 11)
  KALVORA_JOINT_LAYER_ACCESSORS(12, 12)
  KALVORA_JOINT_LAYER_ACCESSORS(13, 13)
  KALVORA_JOINT_LAYER_ACCESSORS(14, 14)
  KALVORA_JOINT_LAYER_ACCESSORS(15, 15)
  KALVORA_JOINT_LAYER_ACCESSORS(16, 16)

  // Controller of a layer (1 .. 16); layer 1's for numbers outside that range.
  int XControlledBy(int layer) const { return x_[Index(layer)]; }
  int YControlledBy(int layer) const { return y_[Index(layer)]; }
  // Joins layer to controller d; raises EVKTRChartError (nothing changed) when
  // d is out of range, d is itself controlled, or layer controls others.
  void SetXController(int layer, int d);
  void SetYController(int layer, int d);

  // Copies the 32 controllers into another TJointLayers and notifies it; any
  // other target raises EConvertError.
  void AssignTo(QObject* target) const;
  void Assign(const QObject* source);

  std::function<void(QObject* sender)> OnChange;
  // Called after a join has been stored, so that the owner can give the layer
  // its controller's range (x: true for the x axis).
  std::function<void(int layer, bool x)> OnJoined;

private:
  static int Index(int layer) { return layer >= 1 && layer <= NumLayers ? layer - 1 : 0; }
  void SetController(std::array<int, NumLayers>& ctrl, int layer, int d, bool x);

  std::array<int, NumLayers> x_{};
  std::array<int, NumLayers> y_{};
};

#undef KALVORA_JOINT_LAYER_ACCESSORS
