#include "contract/resource.h"

void Resource::SetKeyedTexts(const KeyedTexts& texts) {
  if (&texts == &keyedTexts) return;
  keyedTexts.clear();
  keyedTexts.insert(texts.begin(), texts.end());
}
