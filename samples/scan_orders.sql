/* Orders of one customer, for the scanner tour. */
SELECT o.id, o.placed_at, c.name
  FROM orders o
  JOIN customers c ON c.id = o.customer_id
 WHERE c.name = 'O''Neil'
   AND o.note <> 'it''s urgent'
   AND o.total >= 100
 ORDER BY o.placed_at; // newest last
