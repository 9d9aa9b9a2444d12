// The study report: builds the page from window.KADRE_DATA (written by kadre-map --html).
// Everything is in the file; the OpenStreetMap background is the only thing that would load
// from the network, and only when the reader turns it on.
(function () {
  'use strict';
  const D = window.KADRE_DATA;
  const WORDS = {
    cs: {
      report: 'Rozptylová studie', indicator: 'Ukazatel', set: 'Zdroje', all: 'všechny zdroje',
      opacity: 'Krytí', none: 'bez podkladu', contours: 'izolinie', receptors: 'referenční body',
      maximum: 'maximum ukazatele', point: 'bodové zdroje', tower: 'chladicí věže',
      line: 'liniové zdroje', area: 'plošné zdroje', maxima: 'Maxima ukazatelů',
      value: 'hodnota', receptor: 'bod', about: 'význam', compliance: 'Posouzení limitů',
      column: 'sloupec', verdict: 'výsledek', exceeded: 'překročen v bodech: ',
      complied: 'dodržen ve všech bodech', worst: 'nejvyšší hodnota', roses: 'Větrné růžice',
      series: 'řada', inputs: 'Vstupy výpočtu', config: 'konfigurace', files: 'výsledné soubory',
      counts: 'počty', points: 'referenční body', sources: 'zdroje', groups: 'skupiny zdrojů',
      seriesN: 'meteorologické řady', hours: 'hodiny', version: 'verze programu kadre',
      date: 'zpráva vytvořena', crs: 'souřadnicový systém', local: 'místní souřadnice výpočtu (m)',
      source: 'zdroj', attribute: 'údaj', noCompliance: 'Výpočet nemá limity.',
      click: 'Kliknutím na řádek se mapa přesune na bod maxima.',
    },
    en: {
      report: 'Dispersion study', indicator: 'Indicator', set: 'Sources', all: 'all sources',
      opacity: 'Opacity', none: 'no background', contours: 'contours', receptors: 'receptors',
      maximum: 'maximum of the indicator', point: 'point sources', tower: 'cooling towers',
      line: 'line sources', area: 'area sources', maxima: 'Maxima of the indicators',
      value: 'value', receptor: 'receptor', about: 'meaning', compliance: 'Limit values',
      column: 'column', verdict: 'verdict', exceeded: 'exceeded at points: ',
      complied: 'complied with at every point', worst: 'highest value', roses: 'Wind roses',
      series: 'series', inputs: 'Inputs of the run', config: 'configuration',
      files: 'result files', counts: 'counts', points: 'receptors', sources: 'sources',
      groups: 'source groups', seriesN: 'meteorological series', hours: 'hours',
      version: 'kadre version', date: 'report written', crs: 'coordinate reference system',
      local: 'local coordinates of the run (m)', source: 'source', attribute: 'attribute',
      noCompliance: 'The run has no limit values.',
      click: 'Click a row to centre the map on the maximum.',
    },
  };
  const W = WORDS[D.lang] || WORDS.cs;

  function el(tag, attrs, children) {
    const e = document.createElement(tag);
    for (const k in attrs || {}) {
      if (k === 'text') e.textContent = attrs[k];
      else e.setAttribute(k, attrs[k]);
    }
    for (const c of children || []) e.appendChild(typeof c === 'string' ? document.createTextNode(c) : c);
    return e;
  }

  // ---- page --------------------------------------------------------------------------------
  document.title = D.title + ' \u2014 ' + W.report;
  const body = document.body;
  body.appendChild(el('h1', {text: W.report + ': ' + D.title}));
  const mapDiv = el('div', {id: 'map'});
  body.appendChild(mapDiv);

  const map = L.map(mapDiv, {
    crs: D.geographic ? L.CRS.EPSG3857 : L.CRS.Simple,
    preferCanvas: true,
    minZoom: D.geographic ? 2 : -14,
    maxZoom: D.geographic ? 19 : 6,
    zoomSnap: 0.25,
  });
  // Panes bottom to top: the cells, the contours, the sources and receptors (one canvas, so
  // that both take clicks), the maximum's ring. Only the clickable pane takes the pointer.
  const panes = [['cells', 350, false], ['contours', 420, false], ['things', 450, true],
                 ['maxring', 460, false]];
  for (const [name, z, clickable] of panes) {
    const p = map.createPane(name);
    p.style.zIndex = z;
    if (!clickable) p.style.pointerEvents = 'none';
  }
  const thingsRenderer = L.canvas({pane: 'things'});

  let bounds = L.latLngBounds(D.points.at.length ? D.points.at : [[0, 0]]);

  // Sources by type, each attribute in the popup.
  const sourceLayers = {point: L.layerGroup(), tower: L.layerGroup(), line: L.layerGroup(),
                        area: L.layerGroup()};
  for (const s of D.sources) {
    const style = {renderer: thingsRenderer, color: '#000', weight: 1.2, fillColor: '#e31a1c',
                   fillOpacity: 1};
    let layer;
    if (s.type === 'line') layer = L.polyline(s.at, {renderer: thingsRenderer, color: '#e31a1c', weight: 4});
    else if (s.type === 'area') layer = L.polygon(s.at, Object.assign({}, style, {fill: false, color: '#e31a1c', weight: 2.5}));
    else layer = L.circleMarker(s.at, Object.assign({}, style, {radius: 7,
                   fillColor: s.type === 'tower' ? '#e729d4' : '#e31a1c'}));
    const rows = s.attrs.map(([k, v]) => '<tr><th>' + k + '</th><td>' + escapeHtml(v) + '</td></tr>');
    layer.bindPopup('<b>' + W.source + ' ' + escapeHtml(s.attrs[0][1]) + '</b> (' + W[s.type] +
                    ')<table class="pop">' + rows.slice(1).join('') + '</table>', {maxHeight: 320});
    layer.addTo(sourceLayers[s.type]);
  }

  function escapeHtml(t) {
    return String(t).replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');
  }

  // Receptors: a small dot each (a ring for the named places, with their name); the popup
  // holds every value of every result file, as written.
  const named = new Set(D.points.named);
  const receptorLayer = L.layerGroup();
  const receptorMarkers = D.points.at.map((at, i) => {
    const m = L.circleMarker(at, {renderer: thingsRenderer, radius: named.has(i) ? 7 : 3,
                                  color: '#222', weight: named.has(i) ? 2 : 0.8,
                                  fillColor: '#fff', fillOpacity: named.has(i) ? 0.9 : 0.5});
    m.bindPopup(() => receptorPopup(i), {maxHeight: 360, minWidth: 260});
    if (named.has(i))
      m.bindTooltip(escapeHtml(D.points.ids[i]), {permanent: true, direction: 'right',
                                                  className: 'place', offset: [8, 0]});
    m.kadreIndex = i;
    m.addTo(receptorLayer);
    return m;
  });

  function setLabel(set) { return set.group ? set.group : W.all; }

  function receptorPopup(i) {
    const xy = D.points.xy[i];
    let html = '<b class="pid">' + escapeHtml(D.points.ids[i]) + '</b><br>x = ' + xy[0] +
               ' m, y = ' + xy[1] + ' m';
    for (const set of D.sets) {
      if (D.sets.length > 1) html += '<h4>' + escapeHtml(setLabel(set)) + '</h4>';
      for (const f of set.files) {
        const values = f.rows[i].split('\t');
        html += '<table class="pop"><caption>' + escapeHtml(f.name) + '</caption>';
        f.columns.forEach((c, k) => {
          html += '<tr><th>' + escapeHtml(c) + '</th><td data-file="' + escapeHtml(f.name) +
                  '" data-set="' + escapeHtml(set.group) + '" data-column="' + escapeHtml(c) +
                  '">' + escapeHtml(values[k]) + '</td></tr>';
        });
        html += '</table>';
      }
    }
    return html;
  }

  // The background: none by default; OpenStreetMap loads only when chosen.
  const baseLayers = {};
  baseLayers[W.none] = L.layerGroup().addTo(map);
  if (D.geographic)
    baseLayers.OpenStreetMap = L.tileLayer('https://tile.openstreetmap.org/{z}/{x}/{y}.png', {
      maxZoom: 19, attribution: '&copy; OpenStreetMap contributors'});

  const contourLayer = L.layerGroup().addTo(map);
  const maxLayer = L.layerGroup().addTo(map);
  const overlays = {};
  overlays[W.contours] = contourLayer;
  for (const t of ['point', 'tower', 'line', 'area'])
    if (sourceLayers[t].getLayers().length) overlays[W[t]] = sourceLayers[t].addTo(map);
  overlays[W.receptors] = receptorLayer.addTo(map);
  overlays[W.maximum] = maxLayer;
  L.control.layers(baseLayers, overlays, {collapsed: false, position: 'topleft'}).addTo(map);
  L.control.scale({imperial: false}).addTo(map);

  // ---- the indicator shown -------------------------------------------------------------------
  const state = {set: 0, indicator: 0, opacity: 0.8, overlay: null};
  const legendDiv = el('div', {class: 'legend'});
  const panel = L.control({position: 'topright'});
  const setSelect = el('select', {id: 'kadre-set'});
  const indicatorSelect = el('select', {id: 'kadre-indicator'});
  const opacityInput = el('input', {id: 'kadre-opacity', type: 'range', min: '0', max: '1',
                                    step: '0.05', value: String(state.opacity)});
  D.sets.forEach((s, k) => setSelect.appendChild(el('option', {value: String(k), text: setLabel(s)})));
  panel.onAdd = function () {
    const div = el('div', {class: 'panel'}, [
      el('label', {}, [W.indicator + ' ', indicatorSelect]),
      D.sets.length > 1 ? el('label', {}, [W.set + ' ', setSelect]) : el('span'),
      el('label', {}, [W.opacity + ' ', opacityInput]),
      legendDiv,
    ]);
    L.DomEvent.disableClickPropagation(div);
    L.DomEvent.disableScrollPropagation(div);
    return div;
  };
  panel.addTo(map);

  function fillIndicators() {
    indicatorSelect.innerHTML = '';
    D.sets[state.set].indicators.forEach((ind, k) => indicatorSelect.appendChild(
        el('option', {value: String(k), text: ind.name + (ind.about ? ' \u2014 ' + ind.about : '')})));
    indicatorSelect.value = String(state.indicator);
  }

  function drawLegend(ind) {
    const g = ind.legend;
    legendDiv.innerHTML = '';
    legendDiv.appendChild(el('div', {class: 'about', text: ind.name + (g.unit ? ' [' + g.unit + ']' : '')}));
    if (g.kind === 'category') {
      for (const [colour, label] of g.swatches)
        legendDiv.appendChild(el('div', {class: 'swatch'}, [
          el('span', {class: 'box', style: 'background:' + colour}), label]));
      return;
    }
    const bar = el('div', {class: g.kind === 'direction' ? 'bar cyclic' : 'bar',
                           style: 'background:linear-gradient(to ' +
                                  (g.kind === 'direction' ? 'right' : 'top') + ',' +
                                  g.ramp.join(',') + ')'});
    for (const [pos, label] of g.ticks)
      bar.appendChild(el('span', {class: 'tick', text: label,
                                  style: g.kind === 'direction' ? 'left:' + (pos * 100) + '%'
                                                                : 'bottom:' + (pos * 100) + '%'}));
    legendDiv.appendChild(bar);
  }

  function show() {
    const set = D.sets[state.set];
    const ind = set.indicators[state.indicator];
    if (state.overlay) map.removeLayer(state.overlay);
    state.overlay = null;
    if (ind.overlay) {
      state.overlay = L.imageOverlay('data:image/png;base64,' + ind.overlay.png, ind.overlay.bounds,
                                     {pane: 'cells', opacity: state.opacity, className: 'kadre-cells',
                                      interactive: false}).addTo(map);
    }
    // Points off the lattice (all of them without one) in the indicator's colours.
    receptorMarkers.forEach((m, i) => {
      const c = ind.colours[i];
      m.setStyle(c ? {fillColor: c, fillOpacity: state.opacity} :
                     {fillColor: '#fff', fillOpacity: named.has(i) ? 0.9 : 0.5});
    });
    contourLayer.clearLayers();
    for (const c of ind.contours || []) {
      L.polyline(c.line, {pane: 'contours', color: '#111', weight: 1, opacity: 0.85,
                          interactive: false}).addTo(contourLayer);
    }
    maxLayer.clearLayers();
    if (ind.max !== null)
      L.circleMarker(D.points.at[ind.max], {pane: 'maxring', radius: 13, color: '#e31a1c',
                                            weight: 3, fill: false, interactive: false})
          .bindTooltip('max', {permanent: true, direction: 'top', offset: [0, -12],
                               className: 'maxlabel'})
          .addTo(maxLayer);
    drawLegend(ind);
    fillMaxima();
  }

  setSelect.addEventListener('change', () => {
    state.set = Number(setSelect.value);
    state.indicator = Math.min(state.indicator, D.sets[state.set].indicators.length - 1);
    fillIndicators();
    show();
  });
  indicatorSelect.addEventListener('change', () => {
    state.indicator = Number(indicatorSelect.value);
    show();
  });
  opacityInput.addEventListener('input', () => {
    state.opacity = Number(opacityInput.value);
    if (state.overlay) state.overlay.setOpacity(state.opacity);
  });

  // ---- the maxima table ----------------------------------------------------------------------
  body.appendChild(el('h2', {text: W.maxima}));
  body.appendChild(el('p', {class: 'hint', text: W.click}));
  const maxTable = el('table', {id: 'maxima', class: 'data'});
  body.appendChild(maxTable);

  function valueText(set, ind, i) {
    return set.files[ind.file].rows[i].split('\t')[ind.column];
  }

  function centreOn(i) {
    map.setView(D.points.at[i], Math.max(map.getZoom(), map.getBoundsZoom(bounds) + 1),
                {animate: false});
    // Opened where it is: the point stays in the centre.
    const popup = receptorMarkers[i].getPopup();
    popup.options.autoPan = false;
    receptorMarkers[i].openPopup();
    popup.options.autoPan = true;
  }

  function fillMaxima() {
    const set = D.sets[state.set];
    maxTable.innerHTML = '';
    maxTable.appendChild(el('tr', {}, [el('th', {text: W.indicator}), el('th', {text: W.about}),
                                       el('th', {text: W.value}), el('th', {text: W.receptor}),
                                       el('th', {text: 'x [m]'}), el('th', {text: 'y [m]'})]));
    set.indicators.forEach((ind, k) => {
      if (ind.max === null) return;
      const i = ind.max;
      const tr = el('tr', {class: k === state.indicator ? 'row current' : 'row',
                           'data-indicator': ind.name, 'data-point': String(i)}, [
        el('td', {text: ind.name}), el('td', {text: ind.about}),
        el('td', {class: 'num', text: valueText(set, ind, i) + (ind.legend.unit ? ' ' + ind.legend.unit : '')}),
        el('td', {text: D.points.ids[i]}), el('td', {class: 'num', text: String(D.points.xy[i][0])}),
        el('td', {class: 'num', text: String(D.points.xy[i][1])})]);
      tr.addEventListener('click', () => {
        if (state.indicator !== k) {
          state.indicator = k;
          indicatorSelect.value = String(k);
          show();
        }
        mapDiv.scrollIntoView();
        centreOn(i);
      });
      maxTable.appendChild(tr);
    });
  }

  // ---- compliance ------------------------------------------------------------------------------
  body.appendChild(el('h2', {text: W.compliance}));
  let anyCompliance = false;
  for (const set of D.sets) {
    if (set.compliance < 0) continue;
    anyCompliance = true;
    const f = set.files[set.compliance];
    if (D.sets.length > 1) body.appendChild(el('h3', {text: setLabel(set)}));
    const t = el('table', {class: 'data compliance'});
    t.appendChild(el('tr', {}, [el('th', {text: W.column}), el('th', {text: W.verdict}),
                                el('th', {text: W.worst}), el('th', {text: W.receptor})]));
    const rows = f.rows.map(r => r.split('\t'));
    f.columns.forEach((c, k) => {
      if (c.endsWith('_date')) return;
      let worst = -1, worstValue = -Infinity, count = 0;
      rows.forEach((r, i) => {
        const v = parseFloat(r[k]);
        if (v > worstValue) { worstValue = v; worst = i; }
        if (c.startsWith('exceeds_') && v === 1) ++count;
      });
      const verdict = c.startsWith('exceeds_') ? (count ? W.exceeded + count : W.complied) : '';
      t.appendChild(el('tr', {class: count ? 'over' : ''}, [
        el('td', {text: c}), el('td', {text: verdict}),
        el('td', {class: 'num', text: worst >= 0 ? rows[worst][k] : ''}),
        el('td', {text: worst >= 0 ? D.points.ids[worst] : ''})]));
    });
    body.appendChild(t);
  }
  if (!anyCompliance) body.appendChild(el('p', {text: W.noCompliance}));

  // ---- wind roses, inputs ----------------------------------------------------------------------
  if (D.roses.length) {
    body.appendChild(el('h2', {text: W.roses}));
    const roses = el('div', {class: 'roses'});
    for (const r of D.roses) {
      const fig = el('figure', {}, []);
      fig.innerHTML = r.svg;
      fig.appendChild(el('figcaption', {text: W.series + ' ' + r.name}));
      roses.appendChild(fig);
    }
    body.appendChild(roses);
  }
  body.appendChild(el('h2', {text: W.inputs}));
  const c = D.run.counts;
  const facts = [
    [W.config, D.run.config], [W.version, D.run.version], [W.date, D.run.date],
    [W.crs, D.run.crs || W.local],
    [W.points, String(c.points)],
    [W.sources, c.sources + ' (' + ['point', 'tower', 'line', 'area'].filter(t => c[t])
                                      .map(t => W[t] + ' ' + c[t]).join(', ') + ')'],
    [W.groups, String(c.groups)], [W.seriesN, String(c.series)], [W.hours, String(c.hours)],
    [W.files, D.run.files.join(', ')],
  ];
  const dl = el('table', {class: 'data inputs'});
  for (const [k, v] of facts) dl.appendChild(el('tr', {}, [el('th', {text: k}), el('td', {text: v})]));
  body.appendChild(dl);
  body.appendChild(el('pre', {class: 'config', text: D.run.configText}));

  // ---- start ---------------------------------------------------------------------------------
  for (const set of D.sets)
    for (const ind of set.indicators)
      if (ind.overlay) bounds = bounds.extend(L.latLngBounds(ind.overlay.bounds));
  fillIndicators();
  show();
  map.fitBounds(bounds);

  // What the browser tests look at.
  window.kadre = {
    map, receptorMarkers, contourLayer, state,
    overlaySource: () => state.overlay ? state.overlay.getElement().src : '',
    contourCount: () => contourLayer.getLayers().length,
    containerPoint: i => map.latLngToContainerPoint(D.points.at[i]),
    hide: names => { for (const n of names) map.removeLayer({contours: contourLayer,
      receptors: receptorLayer, maximum: maxLayer}[n]); },
  };
})();
