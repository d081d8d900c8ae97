#pragma once

namespace vesk {

// Gives the lower layers the views that live above them: the island's slots, the open view's
// pages and the extensions' pages and options. The application calls it once before the first
// island is made; tools and tests that draw the real views call it too. Idempotent.
void installStandardViews();

}  // namespace vesk
