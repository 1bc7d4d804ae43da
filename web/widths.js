// How many columns a character takes in the page's terminal, as on a Japanese console: a
// character that code page 932 stores in two bytes takes two. In Unicode terms East Asian
// Wide, Fullwidth and Ambiguous characters are 2 columns, combining marks and zero-width
// characters 0, every other character 1. The generated table lists only the code points that
// are not 1, in three disjoint lists; here they become one sorted list to search.
import { ambiguous, wide, zeroWidth } from './char_width_table.js';

const WIDTH_RANGES = [
  ...zeroWidth.map(([first, last]) => [first, last, 0]),
  ...wide.map(([first, last]) => [first, last, 2]),
  ...ambiguous.map(([first, last]) => [first, last, 2]),
].sort((a, b) => a[0] - b[0]);

export function charWidth(codePoint) {
  if (codePoint < 0x20 || (codePoint >= 0x7f && codePoint < 0xa0)) {
    return 0;
  }
  let low = 0;
  let high = WIDTH_RANGES.length - 1;
  while (low <= high) {
    const middle = (low + high) >> 1;
    const [first, last, width] = WIDTH_RANGES[middle];
    if (codePoint < first) {
      high = middle - 1;
    } else if (codePoint > last) {
      low = middle + 1;
    } else {
      return width;
    }
  }
  return 1;
}

// The columns of a whole string.
export function textWidth(text) {
  let columns = 0;
  for (const character of text) {
    columns += charWidth(character.codePointAt(0));
  }
  return columns;
}

// The terminal's Unicode version provider. A zero-width character joins the one before it,
// unless that one takes no column itself; charProperties packs the width and that join flag
// as the terminal reads them (width in bits 1-2, join in bit 0).
export const unicodeProvider = {
  version: 'tavro',
  wcwidth: charWidth,
  charProperties(codePoint, preceding) {
    let width = charWidth(codePoint);
    let join = width === 0 && preceding !== 0;
    if (join) {
      const precedingWidth = (preceding >> 1) & 3;
      if (precedingWidth === 0) {
        join = false;
      } else if (precedingWidth > width) {
        width = precedingWidth;
      }
    }
    return (width << 1) | (join ? 1 : 0);
  },
};
