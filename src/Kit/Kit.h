#pragma once

// Everything a view needs: descriptions, fonts, colours, shapes, animation and the node tree.
#include "Kit/AnimatedValue.h"
#include "Kit/Animation.h"
#include "Kit/Animator.h"
#include "Kit/Color.h"
#include "Kit/Element.h"
#include "Kit/Env.h"
#include "Kit/Font.h"
#include "Kit/FrameDriver.h"
#include "Kit/Geometry.h"
#include "Kit/Shape.h"
#include "Kit/SymbolTable.h"
#include "Kit/Task.h"
#include "Kit/Transaction.h"
#include "Kit/Transition.h"
#include "Kit/TextFormat.h"
#include "Kit/Tree.h"
