#pragma once
// Level completion, rocket hits, crashes and pickups.

class SceneObject;

bool boxesOverlap(const SceneObject& a, const SceneObject& b);
void applyImpactRules();
