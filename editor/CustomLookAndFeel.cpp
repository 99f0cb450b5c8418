#include "CustomLookAndFeel.h"

CustomLookAndFeel::~CustomLookAndFeel() = default;
