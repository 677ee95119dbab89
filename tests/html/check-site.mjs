// Opens a help site written by --html in the system's Chromium and uses it as a reader would:
// follows every link of every page, opens a popup, filters the keyword index, searches, and takes
// screenshots at 1280 and 360 pixels wide.
//
//   node check-site.mjs SITE SHOTS NAME [--popup TEXT] [--keyword WORD=TEXT] [--search WORD=TITLE]
//                       [--pages N] [--zone TEXT] [--book NAME]
// --popup: a popup must exist; the first one found must show TEXT. --zone TEXT: the same for the
// first picture hot spot that opens a popup. --book NAME: a book of the contents that unfolds on a click.
// Exit 0 when every check passed; the failures are listed otherwise.
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import path from 'node:path';
import os from 'node:os';
import { pathToFileURL, fileURLToPath } from 'node:url';

const [siteArg, shotsArg, name, ...rest] = process.argv.slice(2);
if (!siteArg || !shotsArg || !name) {
  console.error('usage: node check-site.mjs SITE SHOTS NAME [options]');
  process.exit(2);
}
const site = path.resolve(siteArg);
const shots = path.resolve(shotsArg);
const options = {};
for (let i = 0; i < rest.length; i += 2) options[rest[i].replace(/^--/, '')] = rest[i + 1];
fs.mkdirSync(shots, { recursive: true });

const failures = [];
function fail(message) {
  failures.push(message);
  console.error(`ÉCHEC [${name}] ${message}`);
}
function check(condition, message) {
  if (!condition) fail(message);
  return condition;
}
const fileUrl = (rel) => pathToFileURL(path.join(site, rel)).href;
const relative = (url) => path.relative(site, fileURLToPath(url.split(/[?#]/)[0]));

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tyx-chromium-'));
const context = await chromium.launchPersistentContext(profile, {
  executablePath: process.env.TYX_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
  viewport: { width: 1280, height: 800 },
});
const page = context.pages()[0] || (await context.newPage());
page.on('pageerror', (e) => fail(`erreur de script dans ${relative(page.url())} : ${e.message}`));
page.on('console', (m) => { if (m.type() === 'error') fail(`console dans ${relative(page.url())} : ${m.text()}`); });
// Nothing may come from outside the site's folder.
await page.route('**/*', (route) => {
  const url = route.request().url();
  if (!url.startsWith('file:') && !url.startsWith('data:')) {
    fail(`ressource extérieure demandée : ${url}`);
    return route.abort();
  }
  return route.continue();
});

try {
  // ---- Every link of every page, from index.html ----
  const queue = ['index.html'];
  const visited = new Set(queue);
  const exists = new Map();
  let links = 0;
  let popupPage = null;
  let zonePage = null;
  const fileExists = (rel) => {
    if (!exists.has(rel)) exists.set(rel, fs.existsSync(path.join(site, rel)) && fs.statSync(path.join(site, rel)).isFile());
    return exists.get(rel);
  };
  for (let q = 0; q < queue.length; ++q) {
    const rel = queue[q];
    await page.goto(fileUrl(rel), { waitUntil: 'load' });
    const found = await page.evaluate(() => {
      const out = [];
      const take = (sel, attr) => document.querySelectorAll(sel).forEach((e) => out.push({ kind: attr, value: e.getAttribute(attr), url: new URL(e.getAttribute(attr), location.href).href }));
      take('a[href]', 'href');
      take('link[href]', 'href');
      take('script[src]', 'src');
      take('img[src]', 'src');
      take('button[data-page]', 'data-page');
      take('area[href]', 'href');
      take('form[action]', 'action');
      const popovers = [...document.querySelectorAll('[popovertarget], area[data-surgissant]')].map((b) => {
        const id = b.getAttribute('popovertarget') || b.getAttribute('data-surgissant');
        return { target: id, ok: !!document.getElementById(id)?.hasAttribute('popover') };
      });
      const zones = document.querySelectorAll('area[data-surgissant]').length;
      const images = [...document.images].map((i) => ({ src: i.getAttribute('src'), ok: i.complete && i.naturalWidth > 0, alt: i.getAttribute('alt') }));
      const current = [...document.querySelectorAll('#arbre a[aria-current=page]')].map((a) => a.getAttribute('href'));
      const inTree = [...document.querySelectorAll('#arbre a')].length;
      return { out, popovers, images, zones, current, inTree, page: document.body.dataset.page, lang: document.documentElement.lang, charset: document.characterSet };
    });
    check(found.charset === 'UTF-8', `${rel} n'est pas lu en UTF-8 (${found.charset})`);
    check(!!found.lang, `${rel} n'a pas de langue (lang)`);
    check(found.inTree > 0, `${rel} : le sommaire est vide`);
    for (const l of found.out) {
      ++links;
      if (!l.url.startsWith('file:')) { fail(`${rel} : lien vers l'extérieur ${l.value}`); continue; }
      const target = relative(l.url);
      if (l.value.startsWith('#')) continue;
      if (!check(!target.startsWith('..') && fileExists(target), `${rel} : la cible de ${l.kind}="${l.value}" n'existe pas`)) continue;
      if (target.endsWith('.html') && !visited.has(target)) {
        visited.add(target);
        queue.push(target);
      }
    }
    for (const p of found.popovers) check(p.ok, `${rel} : popovertarget="${p.target}" ne désigne aucune fenêtre surgissante`);
    for (const i of found.images) {
      check(i.ok, `${rel} : l'image ${i.src} ne s'affiche pas`);
      check(!!i.alt, `${rel} : l'image ${i.src} n'a pas de texte de remplacement`);
    }
    if (found.page !== 'motscles' && found.page !== 'recherche' && found.current.length)
      check(found.current.length === 1 && found.current[0] === `${found.page}.html`, `${rel} : le sommaire ne met pas en évidence la page elle-même (${found.current})`);
    if (!popupPage && found.popovers.length > found.zones) popupPage = rel;
    if (!zonePage && found.zones) zonePage = rel;
  }
  const htmlFiles = fs.readdirSync(site).filter((f) => f.endsWith('.html'));
  console.log(`[${name}] ${visited.size} pages visitées sur ${htmlFiles.length}, ${links} liens vérifiés`);
  if (options.pages) check(visited.size >= Number(options.pages), `seulement ${visited.size} pages atteintes, ${options.pages} attendues`);

  // ---- Keyboard: the skip link first, with a visible focus; a branch of the tree opens with Enter ----
  await page.goto(fileUrl('index.html'));
  await page.keyboard.press('Tab');
  const first = await page.evaluate(() => {
    const e = document.activeElement;
    const s = getComputedStyle(e);
    return { text: e.textContent, outline: s.outlineStyle, width: parseFloat(s.outlineWidth) };
  });
  check(first.text === 'Aller au texte', `la première touche Tab ne mène pas au lien « Aller au texte » (${first.text})`);
  check(first.outline !== 'none' && first.width > 0, 'le focus clavier ne se voit pas');
  const toggle = page.locator('#arbre button.plier').first();
  if (await toggle.count()) {
    const before = await toggle.getAttribute('aria-expanded');
    await toggle.focus();
    await page.keyboard.press('Enter');
    const after = await toggle.getAttribute('aria-expanded');
    check(before !== after, 'la touche Entrée n\'ouvre ni ne ferme la branche du sommaire');
    const shown = await toggle.evaluate((b) => { const ul = b.closest('li').querySelector(':scope > ul'); return !!ul && !ul.hidden; });
    check(shown === (after === 'true'), 'la branche du sommaire ne suit pas son bouton');
  }

  // ---- A book of the contents: a heading, not a link, that unfolds its topics ----
  if (options.book) {
    await page.goto(fileUrl('index.html'));
    const book = page.locator('#arbre .livre', { hasText: options.book }).first();
    if (check((await book.count()) > 0, `le livre « ${options.book} » n'est pas dans le sommaire`)) {
      check((await book.evaluate((e) => e.tagName)) === 'SPAN', `le livre « ${options.book} » est un lien`);
      const shown = () => book.evaluate((e) => e.closest('li').querySelectorAll(':scope > ul:not([hidden]) a').length);
      const before = await shown();
      await book.click();
      check(before === 0 && (await shown()) > 0, `cliquer le livre « ${options.book} » ne montre pas ses rubriques`);
      console.log(`[${name}] livre « ${options.book} » déplié : ${await shown()} rubrique(s)`);
    }
  }

  // ---- Screenshots of the contents page ----
  await page.goto(fileUrl('index.html'));
  await page.screenshot({ path: path.join(shots, `${name}-sommaire-1280.png`) });

  // ---- A popup, shown in place ----
  if (options.popup !== undefined && check(!!popupPage, 'aucune page n\'a de lien vers une fenêtre surgissante')) {
    for (const width of [1280, 360]) {
      await page.setViewportSize({ width, height: width > 400 ? 800 : 740 });
      await page.goto(fileUrl(popupPage));
      const button = page.locator('button.surgir').first();
      await button.focus();
      await page.keyboard.press('Enter');
      const open = page.locator('[popover]:popover-open');
      await open.waitFor({ state: 'visible', timeout: 5000 }).catch(() => {});
      const text = (await open.count()) ? (await open.first().innerText()).replace('×', '').trim() : '';
      check(page.url().endsWith(popupPage), 'ouvrir la fenêtre surgissante a changé de page');
      if (check(text.length > 0, `la fenêtre surgissante de ${popupPage} ne s'ouvre pas ou est vide (${width} px)`) && options.popup)
        check(text.includes(options.popup), `la fenêtre surgissante dit « ${text} » au lieu de « ${options.popup} »`);
      const box = (await open.count()) ? await open.first().boundingBox() : null;
      check(!box || (box.x >= 0 && box.x + box.width <= width + 1), `la fenêtre surgissante dépasse de l'écran à ${width} px`);
      await page.screenshot({ path: path.join(shots, `${name}-surgissante-${width}.png`) });
      await page.keyboard.press('Escape');
      check((await page.locator('[popover]:popover-open').count()) === 0, 'Échap ne ferme pas la fenêtre surgissante');
    }
    console.log(`[${name}] fenêtre surgissante de ${popupPage} ouverte et lue`);
  }

  // ---- A picture's hot spot that opens a popup ----
  if (options.zone !== undefined && check(!!zonePage, 'aucune image n\'a de zone sensible qui ouvre une fenêtre surgissante')) {
    await page.setViewportSize({ width: 1280, height: 800 });
    await page.goto(fileUrl(zonePage));
    await page.locator('area[data-surgissant]').first().dispatchEvent('click');
    const open = page.locator('[popover]:popover-open');
    await open.waitFor({ state: 'visible', timeout: 5000 }).catch(() => {});
    const text = (await open.count()) ? (await open.first().innerText()).replace('×', '').trim() : '';
    check(page.url().endsWith(zonePage), 'la zone sensible a changé de page au lieu d\'ouvrir la fenêtre surgissante');
    check(text.includes(options.zone), `la zone sensible de ${zonePage} montre « ${text} » au lieu de « ${options.zone} »`);
    await page.screenshot({ path: path.join(shots, `${name}-zone-1280.png`) });
    await page.keyboard.press('Escape');
    console.log(`[${name}] zone sensible de ${zonePage} : fenêtre surgissante ouverte`);
  }

  // ---- Narrow screens: the contents behind its button, nothing wider than the screen ----
  for (const width of [360, 320]) {
    await page.setViewportSize({ width, height: 740 });
    await page.goto(fileUrl('index.html'));
    const wide = await page.evaluate(() => document.documentElement.scrollWidth - document.documentElement.clientWidth);
    check(wide <= 0, `la page dépasse de ${wide} px à ${width} px de large`);
    const button = page.locator('.plier-sommaire');
    if (check(await button.isVisible(), `pas de bouton Sommaire à ${width} px`)) {
      await button.click();
      check(await page.locator('#arbre a').first().isVisible(), `le sommaire ne s'ouvre pas à ${width} px`);
      if (width === 360) await page.screenshot({ path: path.join(shots, `${name}-sommaire-360.png`) });
    }
  }
  await page.setViewportSize({ width: 1280, height: 800 });

  // ---- Keyword index: typing narrows the list ----
  if (options.keyword) {
    const [word, expected] = options.keyword.split('=');
    await page.goto(fileUrl('motscles.html'));
    const total = await page.locator('#motscles > li').count();
    await page.locator('#filtre').focus();
    await page.keyboard.type(word);
    const visible = await page.locator('#motscles > li:not([hidden])').allInnerTexts();
    check(visible.length > 0 && visible.length < total, `le filtre « ${word} » garde ${visible.length} mots-clés sur ${total}`);
    check(visible.some((t) => t.includes(expected)), `le filtre « ${word} » ne montre pas « ${expected} » (${visible.slice(0, 5)})`);
    await page.keyboard.press('Enter');
    await page.waitForURL((u) => !u.href.includes('motscles.html'), { timeout: 5000 }).catch(() => {});
    check(!page.url().includes('motscles.html') && fileExists(relative(page.url())), 'Entrée dans le filtre n\'ouvre pas la rubrique');
    console.log(`[${name}] index filtré par « ${word} » : ${visible.length} mot(s)-clé(s)`);
  }

  // ---- Search: from the box of any page, then typing on the search page ----
  if (options.search) {
    const [word, expected] = options.search.split('=');
    await page.goto(fileUrl('index.html'));
    await page.locator('.chercher input[name=q]').focus();
    await page.keyboard.type(word);
    await page.keyboard.press('Enter');
    await page.waitForURL(/recherche\.html/, { timeout: 5000 }).catch(() => {});
    const results = page.locator('#resultats li');
    await results.first().waitFor({ timeout: 5000 }).catch(() => {});
    const titles = await results.allInnerTexts();
    check(titles.length > 0, `la recherche de « ${word} » ne trouve rien`);
    check(titles[0] === expected, `la recherche de « ${word} » donne d'abord « ${titles[0]} » au lieu de « ${expected} »`);
    const input = page.locator('#q');
    await input.fill('');
    await input.focus();
    await page.keyboard.type('zzqqxx');
    await page.waitForFunction(() => /Aucune rubrique/.test(document.getElementById('etat').textContent), null, { timeout: 5000 }).catch(() => {});
    check(/Aucune rubrique/.test(await page.locator('#etat').innerText()), 'un mot absent ne dit pas « Aucune rubrique »');
    console.log(`[${name}] recherche de « ${word} » : ${titles.length} résultat(s), d'abord « ${titles[0]} »`);
  }

  // ---- Print: the text alone ----
  await page.goto(fileUrl(popupPage || 'index.html'));
  await page.emulateMedia({ media: 'print' });
  const hidden = await page.evaluate(() => ['.bandeau', '.sommaire', '.parcours'].every((s) => !document.querySelector(s) || getComputedStyle(document.querySelector(s)).display === 'none'));
  check(hidden, 'à l\'impression, le sommaire, le bandeau ou les boutons restent');
  const pdf = await page.pdf({ path: path.join(shots, `${name}-impression.pdf`) });
  check(pdf.length > 1000, 'l\'impression en PDF est vide');
  await page.emulateMedia({ media: 'screen' });
} finally {
  await context.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

if (failures.length) {
  console.error(`[${name}] ${failures.length} échec(s)`);
  process.exit(1);
}
console.log(`[${name}] tout est bon ; captures dans ${shots}`);
