// Help site script: the contents tree, popups placed beside their link, the keyword filter and the
// search. Loaded before sommaire.js and recherche.js, which hand it their data.
(function () {
  'use strict';
  var entries = [];
  var index = null;
  window.tyxSommaire = function (data) { entries = data.e || []; };
  window.tyxRecherche = function (data) { index = data; };

  function fold(s) { return s.toLowerCase().normalize('NFD').replace(/\p{M}/gu, ''); }
  function words(s) { return fold(s).split(/[^\p{L}\p{N}]+/u).filter(function (w) { return w.length > 0; }); }
  function param(name) { return new URLSearchParams(location.search).get(name) || ''; }
  function el(tag, attrs, text) {
    var e = document.createElement(tag);
    for (var k in attrs) e.setAttribute(k, attrs[k]);
    if (text !== undefined) e.textContent = text;
    return e;
  }

  // ---- Contents tree: built from sommaire.js, a branch is drawn when it is first opened ----
  function buildTree() {
    var host = document.getElementById('arbre');
    if (!host || !entries.length) return;
    var n = entries.length, parent = [], kids = [], stack = [];
    for (var i = 0; i <= n; ++i) kids.push([]);
    for (i = 0; i < n; ++i) {
      while (stack.length && entries[stack[stack.length - 1]][2] >= entries[i][2]) stack.pop();
      parent[i] = stack.length ? stack[stack.length - 1] : n;
      kids[parent[i]].push(i);
      stack.push(i);
    }
    var page = document.body.getAttribute('data-page');
    var current = -1;
    for (i = 0; i < n && current < 0; ++i) if (entries[i][1] === page) current = i;
    var open = {};
    for (var p = current >= 0 ? parent[current] : n; p < n; p = parent[p]) open[p] = true;

    function branch(p) {
      var ul = el('ul');
      kids[p].forEach(function (k) { ul.appendChild(item(k)); });
      return ul;
    }
    function item(k) {
      var li = el('li'), line = el('div', { 'class': 'ligne' });
      // A book of the contents opens no page: its name folds and unfolds what it holds.
      var a = entries[k][1] ? el('a', { href: entries[k][1] + '.html' }, entries[k][0]) : el('span', { 'class': 'livre' }, entries[k][0]);
      if (k === current) a.setAttribute('aria-current', 'page');
      if (kids[k].length) {
        var b = el('button', { type: 'button', 'class': 'plier', 'aria-expanded': 'false', 'aria-label': 'D\u00e9plier ' + entries[k][0] });
        b.addEventListener('click', function () {
          var sub = li.querySelector(':scope > ul');
          var expand = b.getAttribute('aria-expanded') !== 'true';
          if (expand && !sub) li.appendChild(sub = branch(k));
          if (sub) sub.hidden = !expand;
          b.setAttribute('aria-expanded', expand ? 'true' : 'false');
          b.setAttribute('aria-label', (expand ? 'Replier ' : 'D\u00e9plier ') + entries[k][0]);
        });
        line.appendChild(b);
        if (!entries[k][1]) a.addEventListener('click', function () { b.click(); });
      } else {
        line.appendChild(el('span', { 'class': 'rien', 'aria-hidden': 'true' }));
      }
      line.appendChild(a);
      li.appendChild(line);
      if (open[k] && kids[k].length) {
        li.appendChild(branch(k));
        var toggle = line.querySelector('.plier');
        toggle.setAttribute('aria-expanded', 'true');
        toggle.setAttribute('aria-label', 'Replier ' + entries[k][0]);
      }
      return li;
    }
    host.appendChild(branch(n));
    var here = host.querySelector('[aria-current=page]');
    var nav = document.getElementById('sommaire');
    if (here && nav && nav.scrollHeight > nav.clientHeight) nav.scrollTop = here.offsetTop - nav.clientHeight / 3;
    var toggleTree = nav && nav.querySelector('.plier-sommaire');
    if (toggleTree) toggleTree.addEventListener('click', function () {
      var opened = nav.classList.toggle('ouvert');
      toggleTree.setAttribute('aria-expanded', opened ? 'true' : 'false');
    });
  }

  // ---- Popups: shown in place, beside the link that opens them ----
  // Where a link is on the screen; an area of an image map is where its rectangle is on the picture.
  function placeOf(link) {
    if (link.tagName !== 'AREA') return link.getBoundingClientRect();
    var img = document.querySelector('img[usemap="#' + link.parentNode.getAttribute('name') + '"]');
    var box = img ? img.getBoundingClientRect() : { left: 0, top: 0 };
    var c = link.getAttribute('coords').split(',').map(Number);
    return { left: box.left + c[0], top: box.top + c[1], bottom: box.top + c[3] };
  }
  function setUpPopups() {
    var buttons = document.querySelectorAll('button[popovertarget].surgir');
    if (!HTMLElement.prototype.hasOwnProperty('popover')) {
      // A browser without popovers opens the popup's own page.
      buttons.forEach(function (b) { b.addEventListener('click', function () { location.href = b.getAttribute('data-page'); }); });
      return;
    }
    var opener = null;
    buttons.forEach(function (b) { b.addEventListener('click', function () { opener = b; }); });
    // The popups of a picture's hot spots: an area cannot carry popovertarget.
    document.querySelectorAll('area[data-surgissant]').forEach(function (a) {
      a.addEventListener('click', function (ev) {
        var pop = document.getElementById(a.getAttribute('data-surgissant'));
        if (!pop) return;
        ev.preventDefault();
        opener = a;
        pop.showPopover();
      });
    });
    document.querySelectorAll('[popover].surgissant').forEach(function (pop) {
      pop.addEventListener('toggle', function (ev) {
        if (ev.newState !== 'open') return;
        pop.classList.remove('place');
        pop.style.inset = '';
        if (opener && window.innerWidth >= 480) {
          var r = placeOf(opener), w = pop.offsetWidth, h = pop.offsetHeight;
          var left = Math.max(8, Math.min(r.left, window.innerWidth - w - 8));
          var top = r.bottom + 4;
          if (top + h > window.innerHeight - 8) top = Math.max(8, r.top - h - 4);
          pop.classList.add('place');
          pop.style.inset = top + 'px auto auto ' + left + 'px';
        }
        var close = pop.querySelector('.fermer');
        if (close) close.focus({ preventScroll: true });
      });
    });
  }

  // ---- Keyword index: the list narrows as the author's words are typed ----
  function setUpFilter() {
    var input = document.getElementById('filtre'), list = document.getElementById('motscles');
    if (!input || !list) return;
    var items = Array.prototype.slice.call(list.children), count = document.getElementById('compte');
    function apply() {
      var f = fold(input.value.trim()), shown = 0;
      items.forEach(function (li) {
        var key = li.getAttribute('data-cle');
        var ok = !f || key.indexOf(f) === 0 || key.indexOf(' ' + f) >= 0;
        li.hidden = !ok;
        if (ok) ++shown;
      });
      if (count) count.textContent = f ? (shown ? shown + (shown > 1 ? ' mots-cl\u00e9s' : ' mot-cl\u00e9') : 'Aucun mot-cl\u00e9 ne commence par \u00ab ' + input.value.trim() + ' \u00bb.') : '';
    }
    input.addEventListener('input', apply);
    input.addEventListener('keydown', function (ev) {
      if (ev.key !== 'Enter') return;
      var first = list.querySelector(':scope > li:not([hidden]) a');
      if (first) { ev.preventDefault(); first.click(); }
    });
    input.value = param('filtre');
    apply();
  }

  // ---- Search: the prebuilt index, topics whose title holds the words first ----
  var DIGITS = '0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_';
  function decode(list) {
    var out = [], previous = -1, acc = 0;
    for (var i = 0; i < list.length; ++i) {
      var v = DIGITS.indexOf(list.charAt(i));
      if (v >= 32) { acc = acc * 32 + (v - 32); continue; }
      previous += acc * 32 + v + 1;
      out.push(previous);
      acc = 0;
    }
    return out;
  }
  function search(query) {
    // The index keeps the first 64 bytes of a word: 32 characters always fit.
    var terms = words(query).filter(function (t) { return t.length >= 2; }).map(function (t) { return t.slice(0, 32); });
    if (!terms.length) return null;
    var dict = index.dict || (index.dict = index.mots.split(' ')), lists = index.lists || (index.lists = index.listes.split(' '));
    var found = null;
    terms.forEach(function (t) {
      var lo = 0, hi = dict.length;
      while (lo < hi) { var mid = (lo + hi) >> 1; if (dict[mid] < t) lo = mid + 1; else hi = mid; }
      var set = new Set();
      for (var k = lo; k < dict.length && dict[k].lastIndexOf(t, 0) === 0; ++k) decode(lists[k]).forEach(function (e) { set.add(e); });
      found = found ? new Set(Array.from(found).filter(function (e) { return set.has(e); })) : set;
    });
    var ranked = Array.from(found).map(function (e) {
      var title = words(entries[e][3] || entries[e][0]), hits = 0;
      terms.forEach(function (t) { if (title.some(function (w) { return w.lastIndexOf(t, 0) === 0; })) ++hits; });
      return { e: e, rank: hits === terms.length ? 0 : hits ? 1 : 2, hits: hits };
    });
    ranked.sort(function (a, b) { return a.rank - b.rank || b.hits - a.hits || a.e - b.e; });
    return ranked.map(function (r) { return r.e; });
  }
  function setUpSearch() {
    var input = document.getElementById('q'), list = document.getElementById('resultats'), state = document.getElementById('etat');
    if (!input || !list || !state) return;
    if (!index) { state.textContent = 'L\u2019index de recherche est introuvable.'; return; }
    var MAX = 300, timer = 0;
    function run() {
      var q = input.value.trim();
      list.textContent = '';
      if (!q) { state.textContent = ''; return; }
      var found = search(q);
      if (!found) { state.textContent = 'Tapez au moins un mot de deux lettres.'; return; }
      found.slice(0, MAX).forEach(function (e) {
        var li = el('li');
        li.appendChild(el('a', { href: entries[e][1] + '.html' }, entries[e][3] || entries[e][0]));
        list.appendChild(li);
      });
      state.textContent = !found.length ? 'Aucune rubrique ne contient \u00ab ' + q + ' \u00bb.'
        : found.length + (found.length > 1 ? ' rubriques trouv\u00e9es' : ' rubrique trouv\u00e9e') + ' pour \u00ab ' + q + ' \u00bb'
          + (found.length > MAX ? ' (les ' + MAX + ' premi\u00e8res sont list\u00e9es).' : '.');
    }
    input.addEventListener('input', function () { clearTimeout(timer); timer = setTimeout(run, 150); });
    input.form.addEventListener('submit', function (ev) {
      ev.preventDefault();
      try { history.replaceState(null, '', '?q=' + encodeURIComponent(input.value.trim())); } catch (e) { /* a page opened from the disk may refuse */ }
      run();
    });
    input.value = param('q');
    run();
  }

  // Back(): the page before, as the viewer's Back button does.
  document.addEventListener('click', function (ev) {
    var a = ev.target.closest && ev.target.closest('[data-retour]');
    if (a && history.length > 1) {
      ev.preventDefault();
      history.back();
    }
  });

  document.addEventListener('DOMContentLoaded', function () {
    var q = param('q'), box = document.querySelector('.chercher input[name=q]');
    if (box && q) box.value = q;
    buildTree();
    setUpPopups();
    setUpFilter();
    setUpSearch();
  });
})();
