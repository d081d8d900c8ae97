#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

// Built-in scenes of kit-render: each builds a tree, starts its animations at time 0 of a virtual
// clock, and is drawn at a chosen instant.
struct SceneInfo {
    QString name;
    QString description;
};

const std::vector<SceneInfo> &scenes();
const SceneInfo *findScene(const QString &name);
QImage renderSceneAt(const SceneInfo &scene, double seconds, double scale);
